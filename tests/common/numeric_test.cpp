#include "common/errors.h"
#include "common/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace common;

namespace {
std::string MessageOf(auto&& f) {
    try {
        f();
    } catch (const AppError& e) {
        return e.what();
    }
    return "no error";
}
}  // namespace

TEST(Round, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(Round(20.5), 20);
    EXPECT_EQ(Round(21.5), 22);
    EXPECT_EQ(Round(22.5), 22);
    EXPECT_EQ(Round(-0.5), 0);
    EXPECT_EQ(Round(-1.5), -2);
    EXPECT_EQ(Round(0.95 * 30), 28);  // 28.499999... or 28.5: both give 28
    EXPECT_EQ(Round(2.4999), 2);
    EXPECT_EQ(Round(-2.6), -3);
}

TEST(Round, OutOfRangeIsAnErrorNotUndefinedBehaviour) {
    EXPECT_EQ(MessageOf([] { Round(1e300); }), "Invalid floating point operation");
    EXPECT_EQ(MessageOf([] { Round(std::nan("")); }), "Invalid floating point operation");
    EXPECT_EQ(MessageOf([] { RoundToInt(3e9); }), "Invalid floating point operation");
    EXPECT_EQ(RoundToInt(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(MessageOf([] { TruncToInt(-2147483649.5); }), "Invalid floating point operation");
}

TEST(Trunc, DropsTheFraction) {
    EXPECT_EQ(Trunc(2.99), 2);
    EXPECT_EQ(Trunc(-2.99), -2);
    EXPECT_EQ(TruncToInt(221.0 / 170.0), 1);
}

TEST(IntegerDivision, TruncatesTowardZeroAndRefusesZero) {
    EXPECT_EQ(Div(-7, 2), -3);
    EXPECT_EQ(Mod(-7, 2), -1);
    EXPECT_EQ(Mod(2210, 221), 0);
    EXPECT_EQ(MessageOf([] { Mod(5, 0); }), "Division by zero");
    EXPECT_EQ(MessageOf([] { Div(5, 0); }), "Division by zero");
    EXPECT_EQ(Div(std::numeric_limits<std::int32_t>::min(), -1),
              std::numeric_limits<std::int32_t>::min());
}

TEST(FloatDivide, ReportsZeroDivisorsByTheirKind) {
    EXPECT_DOUBLE_EQ(FloatDivide(1.0, 4.0), 0.25);
    EXPECT_EQ(MessageOf([] { FloatDivide(1.0, 0.0); }), "Floating point division by zero");
    EXPECT_EQ(MessageOf([] { FloatDivide(0.0, 0.0); }), "Invalid floating point operation");
    EXPECT_EQ(MessageOf([] { FloatDivide(1e308, 1e-308); }), "Floating point division by zero");
}

TEST(WrappingArithmetic, FactorialOf18WrapsLikeTwosComplement) {
    std::int32_t f = 1;
    for (int n = 2; n <= 18; ++n) f = WrapMul32(f, n);
    EXPECT_EQ(f, -898433024);
    for (int n = 19; n <= 34; ++n) f = WrapMul32(f, n);
    EXPECT_EQ(f, 0);
    EXPECT_EQ(WrapAdd32(std::numeric_limits<std::int32_t>::max(), 1),
              std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(WrapSub32(std::numeric_limits<std::int32_t>::min(), 1),
              std::numeric_limits<std::int32_t>::max());
}

TEST(ErrorBoxText, FullStopOnlyAfterCharactersSortingAfterThePoint) {
    EXPECT_EQ(WithFullStop("Division by zero"), "Division by zero.");
    EXPECT_EQ(WithFullStop("Error in Myogrid.par!"), "Error in Myogrid.par!");
    EXPECT_EQ(WithFullStop("Error executing program. Error code: 2"),
              "Error executing program. Error code: 2.");
    EXPECT_EQ(WithFullStop("'x' is not a valid integer value"),
              "'x' is not a valid integer value.");
    EXPECT_EQ(WithFullStop("done."), "done.");
    EXPECT_EQ(WithFullStop(""), "");
}
