#pragma once
// Number <-> text with "." as decimal separator, whatever the user's locale:
// the only place the programs turn numbers into text and back. Nothing here
// depends on the C library's LC_NUMERIC, which Qt sets from the desktop.
#include <cstdint>
#include <string>

namespace common {

std::string IntToText(std::int64_t value);
// Right-aligned in at least `width` characters ("%*d").
std::string IntToText(std::int64_t value, int width);

// Fixed-point with `decimals` digits after the point; a value with more than
// `precision` digits before the point is written in exponent form instead
// ("1.2345679E+12": precision significant digits, sign and at least 2 digits).
// FormatFixed(21.0, 2) == "21.00"; FormatFixed(66.0, 5, 10) == "66.00000".
std::string FormatFixed(double value, int decimals, int precision = 7);

// General form with up to `precision` significant digits: trailing zeros and
// a trailing point removed; fixed notation when |x| >= 0.00001 and the
// integer part has at most `precision` digits, otherwise scientific
// ("1.5E-6", "1E20", "-2.5E17"). 0 gives "0".
std::string FormatGeneral(double value, int precision = 15);

// The shortest text that reads back as exactly `value` ("0.1", "10",
// "1e+20", "-2.5e-07"); NaN and infinities throw "Invalid floating point
// operation". For tables other programs read back.
std::string FormatShortest(double value);

// The 23-character exponent form of "vfdef.par": sign or blank, one digit,
// point, 14 digits, "E", exponent sign and 4 digits (" 2.10000000000000E+0001").
std::string FormatParExponent(double value);

// Strict parsing of a whole text (leading and trailing blanks allowed).
// Throw AppError("'%s' is not a valid integer value") and
// AppError("'%s' is not a valid floating point value").
std::int32_t ParseInteger(const std::string& text);
double ParseFloat(const std::string& text);
// Non-throwing variants.
bool TryParseInteger(const std::string& text, std::int32_t& out);
bool TryParseFloat(const std::string& text, double& out);
// A real number typed into a field: as TryParseFloat, but a single ","
// (in a text without ".") is the decimal point as well, whatever the
// locale. Files and outputs keep "."; only typed text reads this way.
bool TryParseTypedReal(const std::string& text, double& out);

// Whole numbers 0..18446744073709551615 (seeds of random generators): digits
// only, no sign, no blanks; false for anything else or a value out of range.
bool TryParseUnsigned64(const std::string& text, std::uint64_t& out);
std::string UnsignedToText(std::uint64_t value);

// Reads numbers from a text the way a line-ordered parameter file is read:
// blanks, TABs and line ends before a number are skipped and the following run
// of non-blank characters is the number. Anything unreadable (also the end of
// the text) throws AppError("Invalid numeric input").
class NumberReader {
public:
    explicit NumberReader(std::string text);
    std::int32_t ReadInteger();
    double ReadReal();
    // Skips the rest of the current line, including its line end.
    void SkipLine();
    bool AtEnd() const;

private:
    std::string Token();
    std::string text_;
    std::size_t pos_ = 0;
};

}  // namespace common
