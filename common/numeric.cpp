#include "common/numeric.h"

#include "common/errors.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace common {
namespace {

// 2^63 as a double: the first value outside the signed 64-bit range.
constexpr double kTwo63 = 9223372036854775808.0;

std::int64_t ToInt64Checked(double integral) {
    if (std::isnan(integral) || integral >= kTwo63 || integral < -kTwo63)
        throw AppError(kInvalidFloatOperation);
    return static_cast<std::int64_t>(integral);
}

std::int32_t ToInt32Checked(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max() ||
        v < std::numeric_limits<std::int32_t>::min())
        throw AppError(kInvalidFloatOperation);
    return static_cast<std::int32_t>(v);
}

}  // namespace

std::int64_t Round(double x) {
    if (std::isnan(x)) throw AppError(kInvalidFloatOperation);
    // nearbyint honours the current rounding mode; the programs never change
    // it from round-to-nearest-even, but make sure of it here.
    const int saved = std::fegetround();
    if (saved != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(x);
    if (saved != FE_TONEAREST) std::fesetround(saved);
    return ToInt64Checked(r);
}

std::int32_t RoundToInt(double x) { return ToInt32Checked(Round(x)); }

std::int64_t Trunc(double x) { return ToInt64Checked(std::trunc(x)); }

std::int32_t TruncToInt(double x) { return ToInt32Checked(Trunc(x)); }

std::int32_t Div(std::int32_t a, std::int32_t b) {
    if (b == 0) throw AppError(kDivisionByZero);
    if (a == std::numeric_limits<std::int32_t>::min() && b == -1) return a;  // wraps
    return a / b;
}

std::int32_t Mod(std::int32_t a, std::int32_t b) {
    if (b == 0) throw AppError(kDivisionByZero);
    if (b == -1) return 0;
    return a % b;
}

double FloatDivide(double a, double b) {
    if (b == 0.0)
        throw AppError(a == 0.0 || std::isnan(a) ? kInvalidFloatOperation : kFloatDivisionByZero);
    return CheckFinite(a / b);
}

double CheckFinite(double x) {
    if (std::isnan(x)) throw AppError(kInvalidFloatOperation);
    if (std::isinf(x)) throw AppError(kFloatDivisionByZero);
    return x;
}

double RequireFinite(double x) {
    if (!std::isfinite(x)) throw AppError(kInvalidFloatOperation);
    return x;
}

std::int32_t WrapAdd32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t WrapSub32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

std::int32_t WrapMul32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

}  // namespace common
