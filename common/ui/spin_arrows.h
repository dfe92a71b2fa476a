#pragma once
// The arrow-button pair of the spin fields. Each button steps once when
// pressed and, while it stays pressed with the pointer over it, repeats:
// the first repeat after 400 ms, then every 100 ms.
#include <QTimer>
#include <QWidget>
#include <functional>

namespace common::ui {

// Sounds the warning beep of a rejected key or a read-only field. Tests may
// replace the sound (nullptr restores it).
void SpinBeep();
void SetSpinBeepHandler(std::function<void()> handler);

class RepeatButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFirstRepeatMs = 400;
    static constexpr int kRepeatMs = 100;

    enum class Direction { Up, Down };
    RepeatButton(Direction direction, QWidget* parent = nullptr);

    bool IsDown() const { return down_; }
    QTimer* RepeatTimer() { return &timer_; }
    // What the repeat timer calls: one repeat while the button is held.
    void Tick();

signals:
    void Step();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Release();
    Direction direction_;
    QTimer timer_;
    bool down_ = false;    // pressed (mouse captured)
    bool inside_ = false;  // the pointer is over the button
};

// Up above down; 15 x 17 pixels by default.
class ArrowButtons : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 15;
    static constexpr int kHeight = 17;

    explicit ArrowButtons(QWidget* parent = nullptr);
    RepeatButton* UpButton() const { return up_; }
    RepeatButton* DownButton() const { return down_; }

    // Puts the pair inside the right edge of `field` (a line edit, which
    // becomes the parent) and keeps it there when the field is resized; the
    // field's text area ends 2 pixels left of the buttons.
    void PlaceInside(QWidget* field);

signals:
    void UpClick();
    void DownClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Relayout();
    QWidget* field_ = nullptr;
    RepeatButton* up_;
    RepeatButton* down_;
};

}  // namespace common::ui
