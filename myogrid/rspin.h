#pragma once
// TRspinEdit: the spin field of the real-valued model parameters. It looks
// and behaves like the integer spin field, but value, bounds and step are
// doubles. The text is the only state: Value() reads it (an unreadable text
// reads as MinValue()), SetValue() clamps and writes the shortest general
// form with up to 15 significant digits.
#include <QWidget>

#include "common/ui/spin_arrows.h"

class QLineEdit;

namespace myogrid {

class TRspinEdit : public QWidget {
    Q_OBJECT
public:
    explicit TRspinEdit(QWidget* parent = nullptr);

    double Value() const;
    void SetValue(double value);  // clamps, shows; emits nothing
    QString Text() const;
    void SetText(const QString& text);  // shows the text as it is; emits nothing

    double MinValue() const { return min_; }
    double MaxValue() const { return max_; }
    double Increment() const { return increment_; }
    void SetMinValue(double v) { min_ = v; }
    void SetMaxValue(double v) { max_ = v; }
    void SetIncrement(double v) { increment_ = v; }
    // Clamp of x: unchanged when MaxValue equals MinValue, else limited to
    // MinValue..MaxValue.
    double CheckValue(double x) const;

    void SetEditorEnabled(bool enabled);
    bool EditorEnabled() const { return editorEnabled_; }
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return readOnly_; }
    QLineEdit* Editor() const { return edit_; }
    common::ui::ArrowButtons* Arrows() const { return arrows_; }

    // Up and Down (arrow buttons, Up/Down keys): beep when read-only.
    void StepUp();
    void StepDown();

signals:
    // Typing, an arrow, or the clamping when the field is left.
    void UserChanged();
    void EditingFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Step(int sign);
    void UpdateEditorReadOnly();
    QLineEdit* edit_;
    common::ui::ArrowButtons* arrows_;
    double min_ = 0.0, max_ = 0.0, increment_ = 1.0;
    bool editorEnabled_ = true;
    bool readOnly_ = false;
};

}  // namespace myogrid
