#pragma once
// RealSpinEdit: the spin field of the real-valued model parameters. It looks
// and behaves like the integer spin field, but value, bounds and step are
// doubles. The text is the only state: Value() reads it ("," typed as the
// decimal point reads as "."; an unreadable text reads as MinValue()),
// SetValue() clamps and writes the shortest general form with up to 15
// significant digits. When editing ends the text shows the value in use.
#include "common/ui/spin_edit_base.h"

namespace myogrid {

class RealSpinEdit : public common::ui::SpinEditBase {
    Q_OBJECT
public:
    explicit RealSpinEdit(QWidget* parent = nullptr);

    double Value() const;
    void SetValue(double value);  // clamps, shows; emits nothing

    double MinValue() const { return min_; }
    double MaxValue() const { return max_; }
    double Increment() const { return increment_; }
    void SetMinValue(double v) { min_ = v; }
    void SetMaxValue(double v) { max_ = v; }
    void SetIncrement(double v) { increment_ = v; }
    // Clamp of x: unchanged when MaxValue equals MinValue, else limited to
    // MinValue..MaxValue.
    double CheckValue(double x) const;

protected:
    void WriteStepped(int sign) override;
    bool ClampShownValue() override;
    bool ShowValueInUse() override;

private:
    double min_ = 0.0, max_ = 0.0, increment_ = 1.0;
};

}  // namespace myogrid
