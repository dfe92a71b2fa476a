#pragma once
// Integer spin field: an edit with up/down arrow buttons that repeat while
// held (400 ms before the first repeat, 100 ms between repeats).
// The text is the state: Value() reads it, an unparseable text reads as
// MinValue(). Setting a value clamps it to MinValue..MaxValue unless the two
// are equal. Programmatic changes never emit UserChanged.
#include "common/ui/spin_edit_base.h"

namespace common::ui {

class IntSpinEdit : public SpinEditBase {
    Q_OBJECT
public:
    explicit IntSpinEdit(QWidget* parent = nullptr);

    int Value() const;
    void SetValue(int value);  // shows the (clamped) value; emits nothing

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    int Increment() const { return increment_; }
    void SetMinValue(int v) { min_ = v; }
    void SetMaxValue(int v) { max_ = v; }
    void SetIncrement(int v) { increment_ = v; }

protected:
    void WriteStepped(int sign) override;
    bool ClampShownValue() override;
    bool ShowValueInUse() override;

private:
    int Clamp(int v) const;
    int min_ = 0, max_ = 0, increment_ = 1;
};

}  // namespace common::ui
