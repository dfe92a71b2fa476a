#pragma once
// Rounding and checked arithmetic shared by both programs.
#include <cstdint>

namespace common {

// Nearest integer, halves to the even neighbour (21.5 -> 22, 22.5 -> 22).
// Throws AppError("Invalid floating point operation") for NaN or a value
// outside the 64-bit range.
std::int64_t Round(double x);
// Same, for results that must fit a 32-bit integer (throws beyond it).
std::int32_t RoundToInt(double x);

// Drops the fraction; throws like Round beyond the target range.
std::int64_t Trunc(double x);
std::int32_t TruncToInt(double x);

// Integer division truncating toward zero and its remainder;
// a zero divisor throws AppError("Division by zero").
std::int32_t Div(std::int32_t a, std::int32_t b);
std::int32_t Mod(std::int32_t a, std::int32_t b);

// a / b in floating point; b == 0 throws "Floating point division by zero",
// or "Invalid floating point operation" when a is 0 as well.
double FloatDivide(double a, double b);

// Checks a computed real: NaN throws "Invalid floating point operation",
// an infinity throws "Floating point division by zero" (callers use it after
// expressions whose only way to overflow is a division).
double CheckFinite(double x);

// A value to be shown, drawn or printed: NaN and infinities (an overflowed
// sum, say) throw "Invalid floating point operation".
double RequireFinite(double x);
template <typename Values>
void RequireAllFinite(const Values& values) {
    for (double v : values) RequireFinite(v);
}

// 32-bit two's complement arithmetic that wraps around (done in unsigned).
std::int32_t WrapAdd32(std::int32_t a, std::int32_t b);
std::int32_t WrapSub32(std::int32_t a, std::int32_t b);
std::int32_t WrapMul32(std::int32_t a, std::int32_t b);

}  // namespace common
