#include "common/errors.h"
#include "common/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

using namespace common;

TEST(FormatFixed, DecimalsAndExponentFallback) {
    EXPECT_EQ(FormatFixed(21.0, 2), "21.00");
    EXPECT_EQ(FormatFixed(0.75, 2), "0.75");
    EXPECT_EQ(FormatFixed(66.0, 5, 10), "66.00000");
    EXPECT_EQ(FormatFixed(0.29000000052, 3), "0.290");
    EXPECT_EQ(FormatFixed(0.705782, 3), "0.706");
    EXPECT_EQ(FormatFixed(-3.5, 1), "-3.5");
    EXPECT_EQ(FormatFixed(-0.001, 2), "0.00");
    EXPECT_EQ(FormatFixed(1234567.0, 2), "1234567.00");
    EXPECT_EQ(FormatFixed(12345678.0, 2), "1.234568E+07");
    EXPECT_EQ(FormatFixed(-12345678.0, 2), "-1.234568E+07");
}

TEST(FormatGeneral, ShortestFormUpTo15Digits) {
    EXPECT_EQ(FormatGeneral(0.5), "0.5");
    EXPECT_EQ(FormatGeneral(-0.22), "-0.22");
    EXPECT_EQ(FormatGeneral(0.0), "0");
    EXPECT_EQ(FormatGeneral(42.0), "42");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatGeneral(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatGeneral(1234567890123456.0), "1.23456789012346E15");
    EXPECT_EQ(FormatGeneral(0.00001), "0.00001");
    EXPECT_EQ(FormatGeneral(0.0000015), "1.5E-6");
    EXPECT_EQ(FormatGeneral(1e20), "1E20");
}

TEST(FormatGeneral, ThreeSignificantDigitsForPlotLabels) {
    EXPECT_EQ(FormatGeneral(0.00271440, 3), "0.00271");
    EXPECT_EQ(FormatGeneral(-0.003645803, 3), "-0.00365");
    EXPECT_EQ(FormatGeneral(999.4, 3), "999");
    EXPECT_EQ(FormatGeneral(1234.0, 3), "1.23E3");
    EXPECT_EQ(FormatGeneral(0.000005391, 3), "5.39E-6");
    EXPECT_EQ(FormatGeneral(0.5, 3), "0.5");
}

TEST(FormatParExponent, TwentyThreeCharacters) {
    EXPECT_EQ(FormatParExponent(21.0), " 2.10000000000000E+0001");
    EXPECT_EQ(FormatParExponent(0.75), " 7.50000000000000E-0001");
    EXPECT_EQ(FormatParExponent(0.1), " 1.00000000000000E-0001");
    EXPECT_EQ(FormatParExponent(0.0), " 0.00000000000000E+0000");
    EXPECT_EQ(FormatParExponent(-1.5e-120), "-1.50000000000000E-0120");
    EXPECT_EQ(FormatParExponent(0.123456789012345).size(), 23u);
}

TEST(ParseNumbers, StrictWholeTextWithMessages) {
    EXPECT_EQ(ParseInteger("62"), 62);
    EXPECT_EQ(ParseInteger(" -5 "), -5);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_DOUBLE_EQ(ParseFloat("0.75"), 0.75);
    EXPECT_DOUBLE_EQ(ParseFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseFloat("2."), 2.0);
    EXPECT_DOUBLE_EQ(ParseFloat("-2.5E-3"), -0.0025);
    for (const char* bad : {"", "-", "1.5", "12a", "2147483648", "0x10", "1 2"}) {
        try {
            ParseInteger(bad);
            ADD_FAILURE() << bad;
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(bad) + "' is not a valid integer value");
        }
    }
    for (const char* bad : {"", ".", "0,75", "1e", "inf", "nan", "1e400", "--1", "e5"}) {
        try {
            ParseFloat(bad);
            ADD_FAILURE() << bad;
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(bad) + "' is not a valid floating point value");
        }
    }
    EXPECT_EQ(ParseInteger("-2147483648"), -2147483647 - 1);
}

// The C library's numeric locale as a desktop with decimal commas leaves it
// (Qt switches it at start); restored afterwards.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        const char* previous = std::setlocale(LC_NUMERIC, nullptr);
        saved_ = previous ? previous : "C";
        // A missing locale must fail the test, not let it pass on "C".
        ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
            << "locale de_DE.UTF-8 is not generated (scripts/setup.sh does it)";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, saved_.c_str()); }

private:
    std::string saved_;
};

TEST_F(CommaLocale, NumbersKeepTheirPoint) {
    EXPECT_DOUBLE_EQ(ParseFloat("0.75"), 0.75);
    EXPECT_THROW(ParseFloat("0,75"), AppError);
    EXPECT_EQ(FormatFixed(0.29000000052, 3), "0.290");
    EXPECT_EQ(FormatFixed(0.1, 2), "0.10");
    EXPECT_EQ(FormatFixed(-12345678.0, 2), "-1.234568E+07");
    EXPECT_EQ(FormatGeneral(-0.22), "-0.22");
    EXPECT_EQ(FormatGeneral(0.5), "0.5");
    EXPECT_EQ(FormatGeneral(0.17000000000000001, 17), "0.17000000000000001");
    EXPECT_EQ(FormatGeneral(1234567890123456.0), "1.23456789012346E15");
    EXPECT_EQ(FormatParExponent(21.0), " 2.10000000000000E+0001");
    NumberReader reader(FormatParExponent(0.75) + "\r\n" + FormatParExponent(-1.5e-120));
    EXPECT_DOUBLE_EQ(reader.ReadReal(), 0.75);
    EXPECT_DOUBLE_EQ(reader.ReadReal(), -1.5e-120);
    EXPECT_EQ(IntToText(-1234567), "-1234567");
}

TEST(ParseNumbers, ACommaIsThePointOnlyInTypedText) {
    double v = 0;
    EXPECT_FALSE(TryParseFloat("0,5", v));  // files keep "."
    EXPECT_TRUE(TryParseTypedReal("-0,5", v));
    EXPECT_EQ(v, -0.5);
    EXPECT_TRUE(TryParseTypedReal("2.5", v));
    EXPECT_EQ(v, 2.5);
    for (const char* bad : {"1,2,3", "1.5,2", ",", "1,5e"}) EXPECT_FALSE(TryParseTypedReal(bad, v));
}

TEST(Unsigned64, WholeRangeDigitsOnly) {
    std::uint64_t v = 1;
    EXPECT_TRUE(common::TryParseUnsigned64("0", v));
    EXPECT_EQ(v, 0u);
    EXPECT_TRUE(common::TryParseUnsigned64("18446744073709551615", v));
    EXPECT_EQ(v, 18446744073709551615ull);
    EXPECT_TRUE(common::TryParseUnsigned64("000042", v));
    EXPECT_EQ(v, 42u);
    v = 7;
    for (const char* bad : {"", "18446744073709551616", "99999999999999999999", "-1", "+1", " 1",
                            "1 ", "1.0", "1e3", "0x10"}) {
        EXPECT_FALSE(common::TryParseUnsigned64(bad, v)) << bad;
        EXPECT_EQ(v, 7u) << bad;  // untouched
    }
    EXPECT_EQ(common::UnsignedToText(0), "0");
    EXPECT_EQ(common::UnsignedToText(18446744073709551615ull), "18446744073709551615");
}

TEST(IntToText, RightAlignedInAWidth) {
    EXPECT_EQ(IntToText(7, 3), "  7");
    EXPECT_EQ(IntToText(-1, 3), " -1");
    EXPECT_EQ(IntToText(12345, 3), "12345");
    EXPECT_EQ(IntToText(std::int64_t{-9223372036854775807} - 1), "-9223372036854775808");
}

TEST(FormatParExponent, RoundsIntoTheNextPowerOfTen) {
    EXPECT_EQ(FormatParExponent(9.999999999999999), " 1.00000000000000E+0001");
    EXPECT_EQ(FormatParExponent(1e-300), " 1.00000000000000E-0300");
    EXPECT_EQ(FormatFixed(99999999.5, 1), "1.000000E+08");
}

TEST(NumberReader, ReadsTokensAcrossBlanksTabsAndLineEnds) {
    NumberReader r(
        "Parameters for E(t)\r\n6\tG\r\n 2.10000000000000E+0001\t 7.5E-0001\tf\r\n\r\n 42\n");
    r.SkipLine();
    EXPECT_EQ(r.ReadInteger(), 6);
    r.SkipLine();
    EXPECT_DOUBLE_EQ(r.ReadReal(), 21.0);
    EXPECT_DOUBLE_EQ(r.ReadReal(), 0.75);
    EXPECT_THROW(r.ReadReal(), AppError);  // the label "f"
    r.SkipLine();
    EXPECT_EQ(r.ReadInteger(), 42);
    try {
        r.ReadInteger();
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "Invalid numeric input");
    }
}
