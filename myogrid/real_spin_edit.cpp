#include "myogrid/real_spin_edit.h"

#include "common/number_format.h"

namespace myogrid {

RealSpinEdit::RealSpinEdit(QWidget* parent) : SpinEditBase(parent) { SetShowsValueInUse(true); }

double RealSpinEdit::Value() const {
    double v = 0.0;
    if (!common::TryParseTypedReal(Text().toStdString(), v)) return min_;
    return v;
}

double RealSpinEdit::CheckValue(double x) const {
    if (max_ == min_) return x;
    if (x < min_) return min_;
    if (x > max_) return max_;
    return x;
}

void RealSpinEdit::SetValue(double value) {
    SetText(QString::fromStdString(common::FormatGeneral(CheckValue(value), 15)));
}

void RealSpinEdit::WriteStepped(int sign) { SetValue(Value() + sign * increment_); }

bool RealSpinEdit::ShowValueInUse() {
    // A number in its own spelling ("2.50") stays as typed.
    double v = 0.0;
    if (common::TryParseFloat(Text().toStdString(), v)) return false;
    SetValue(Value());
    return true;
}

bool RealSpinEdit::ClampShownValue() {
    const double v = Value();
    if (CheckValue(v) == v) return false;
    SetValue(v);
    return true;
}

}  // namespace myogrid
