#pragma once
// An up-down arrow pair holding an integer position within Min..Max. A click
// moves the position by the increment (limited to the range) and then
// reports the click; setting the position from code reports nothing.
// Reached with Tab, it steps with the Up and Down keys as with its arrows.
#include <QWidget>

namespace common::ui {
class ArrowButtons;
}

namespace ecgtrace {

class StepArrows : public QWidget {
    Q_OBJECT
public:
    explicit StepArrows(QWidget* parent = nullptr);

    int Position() const { return position_; }
    void SetPosition(int position);
    int Increment() const { return increment_; }
    void SetIncrement(int increment) { increment_ = increment; }
    void SetRange(int min, int max);

    // The arrow actions, as a click on the arrow does them.
    void ClickUp() { Click(1); }
    void ClickDown() { Click(-1); }

signals:
    // Before a click moves the position: the owner may set position and
    // increment from what the field beside shows.
    void AboutToStep();
    void Clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Click(int sign);
    common::ui::ArrowButtons* arrows_;
    int position_ = 0;
    int min_ = 0, max_ = 100, increment_ = 1;
};

}  // namespace ecgtrace
