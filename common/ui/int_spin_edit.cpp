#include "common/ui/int_spin_edit.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "common/number_format.h"

namespace common::ui {

IntSpinEdit::IntSpinEdit(QWidget* parent) : SpinEditBase(parent) {}

int IntSpinEdit::Value() const {
    std::int32_t v = 0;
    if (!TryParseInteger(Text().toStdString(), v)) return min_;
    return v;
}

void IntSpinEdit::SetValue(int value) { SetText(QString::fromStdString(IntToText(Clamp(value)))); }

int IntSpinEdit::Clamp(int v) const {
    if (max_ == min_) return v;
    if (v < min_) return min_;
    if (v > max_) return max_;
    return v;
}

void IntSpinEdit::WriteStepped(int sign) {
    // Computed wide and kept within the integer range, so no step overflows.
    const std::int64_t next = std::int64_t{Value()} + std::int64_t{sign} * increment_;
    SetValue(static_cast<int>(std::clamp<std::int64_t>(
        next, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max())));
}

bool IntSpinEdit::ShowValueInUse() {
    std::int32_t v = 0;
    if (TryParseInteger(Text().toStdString(), v)) return false;
    SetValue(Value());
    return true;
}

bool IntSpinEdit::ClampShownValue() {
    const int v = Value();
    if (Clamp(v) == v) return false;
    SetValue(v);
    return true;
}

}  // namespace common::ui
