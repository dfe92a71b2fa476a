#include "common/number_format.h"

#include "common/errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace common {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trimmed(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

std::string NonFinite(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// Decimal digits of |value| rounded to `precision` significant digits and the
// decimal exponent of the first digit (value = d.ddd * 10^exponent).
struct Digits {
    std::string digits;
    int exponent = 0;
    bool negative = false;
};

// std::to_chars never looks at the C library's locale: the point stays "."
// even after a desktop with decimal commas switched LC_NUMERIC.
std::string Chars(double value, std::chars_format format, int precision) {
    std::string text(400 + static_cast<std::size_t>(std::max(precision, 0)), '\0');
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), value, format, precision);
    if (result.ec != std::errc()) throw AppError(kInvalidFloatOperation);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    return text;
}

// "d.ddde+XX" (the scientific form of to_chars) split into digits and exponent.
Digits ScientificDigits(double magnitude, int decimals) {
    const std::string text = Chars(magnitude, std::chars_format::scientific, decimals);
    Digits d;
    std::size_t i = 0;
    for (; i < text.size() && text[i] != 'e'; ++i)
        if (text[i] != '.') d.digits.push_back(text[i]);
    const bool negativeExponent = i + 1 < text.size() && text[i + 1] == '-';
    for (i += 2; i < text.size(); ++i) d.exponent = d.exponent * 10 + (text[i] - '0');
    if (negativeExponent) d.exponent = -d.exponent;
    return d;
}

Digits SignificantDigits(double value, int precision) {
    Digits d = ScientificDigits(std::fabs(value), precision - 1);
    d.negative = std::signbit(value) && value != 0.0;
    return d;
}

// "E", the exponent's sign and its digits padded with zeros to `width`.
std::string ExponentText(int exponent, int width) {
    std::string digits = IntToText(exponent < 0 ? -exponent : exponent);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return std::string("E") + (exponent < 0 ? '-' : '+') + digits;
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Sign, digits, optional point and fraction, optional exponent: the only form
// a typed real may take.
bool IsRealSyntax(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && IsDecimalDigit(s[i])) ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDecimalDigit(s[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && IsDecimalDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

}  // namespace

std::string IntToText(std::int64_t value) {
    char buf[24];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

std::string IntToText(std::int64_t value, int width) {
    std::string text = IntToText(value);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::string FormatFixed(double value, int decimals, int precision) {
    if (!std::isfinite(value)) return NonFinite(value);
    std::string text = Chars(std::fabs(value), std::chars_format::fixed, decimals);
    const std::size_t point = text.find('.');
    const std::size_t intDigits = point == std::string::npos ? text.size() : point;
    if (static_cast<int>(intDigits) > precision) {
        const Digits d = SignificantDigits(value, precision);
        std::string out = d.negative ? "-" : "";
        out += d.digits.substr(0, 1);
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "." + string.
        if (d.digits.size() > 1) out.append(".").append(d.digits, 1);
        return out + ExponentText(d.exponent, 2);
    }
    const bool allZero = text.find_first_not_of("0.") == std::string::npos;
    if (std::signbit(value) && !allZero) text.insert(text.begin(), '-');
    return text;
}

std::string FormatGeneral(double value, int precision) {
    if (!std::isfinite(value)) return NonFinite(value);
    if (value == 0.0) return "0";
    Digits d = SignificantDigits(value, precision);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    std::string out = d.negative ? "-" : "";
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent >= -5 && d.exponent < precision) {
        if (d.exponent < 0) {
            out += "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
        } else if (d.exponent + 1 >= n) {
            out += d.digits + std::string(static_cast<std::size_t>(d.exponent + 1 - n), '0');
        } else {
            out += d.digits.substr(0, static_cast<std::size_t>(d.exponent + 1)) + "." +
                   d.digits.substr(static_cast<std::size_t>(d.exponent + 1));
        }
        return out;
    }
    out += d.digits.substr(0, 1);
    if (n > 1) out.append(".").append(d.digits, 1);  // as above: no "." + string
    out.append("E").append(IntToText(d.exponent));
    return out;
}

std::string FormatParExponent(double value) {
    if (!std::isfinite(value)) return NonFinite(value);
    const Digits d = ScientificDigits(std::fabs(value), 14);
    const bool negative = std::signbit(value) && value != 0.0;
    return std::string(negative ? "-" : " ") + d.digits.substr(0, 1) + "." + d.digits.substr(1) +
           ExponentText(d.exponent, 4);
}

bool TryParseInteger(const std::string& text, std::int32_t& out) {
    const std::string s = Trimmed(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i == s.size()) return false;
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (!IsDecimalDigit(s[i])) return false;
        v = v * 10 + (s[i] - '0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<std::int32_t>::max()) return false;
    out = static_cast<std::int32_t>(v);
    return true;
}

bool TryParseUnsigned64(const std::string& text, std::uint64_t& out) {
    if (text.empty()) return false;
    std::uint64_t v = 0;
    for (const char c : text) {
        if (!IsDecimalDigit(c)) return false;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (v > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return false;
        v = v * 10 + digit;
    }
    out = v;
    return true;
}

std::string UnsignedToText(std::uint64_t value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

bool TryParseFloat(const std::string& text, double& out) {
    std::string s = Trimmed(text);
    if (!IsRealSyntax(s)) return false;
    if (s[0] == '+') s.erase(0, 1);
    double v = 0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), v);
    if (result.ec != std::errc() || result.ptr != s.data() + s.size()) return false;
    if (!std::isfinite(v)) return false;
    out = v;
    return true;
}

bool TryParseTypedReal(const std::string& text, double& out) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) return TryParseFloat(text, out);
    if (text.find(',', comma + 1) != std::string::npos || text.find('.') != std::string::npos)
        return false;
    std::string pointed = text;
    pointed[comma] = '.';
    return TryParseFloat(pointed, out);
}

std::string FormatShortest(double value) {
    if (!std::isfinite(value)) throw AppError(kInvalidFloatOperation);
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    if (result.ec != std::errc()) throw AppError(kInvalidFloatOperation);
    return std::string(text, result.ptr);
}

std::int32_t ParseInteger(const std::string& text) {
    std::int32_t v = 0;
    if (!TryParseInteger(text, v)) throw AppError(NotValidIntegerMessage(text));
    return v;
}

double ParseFloat(const std::string& text) {
    double v = 0;
    if (!TryParseFloat(text, v)) throw AppError(NotValidFloatMessage(text));
    return v;
}

NumberReader::NumberReader(std::string text) : text_(std::move(text)) {}

std::string NumberReader::Token() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
    if (start == pos_) throw AppError(kInvalidNumericInput);
    return text_.substr(start, pos_ - start);
}

std::int32_t NumberReader::ReadInteger() {
    std::int32_t v = 0;
    if (!TryParseInteger(Token(), v)) throw AppError(kInvalidNumericInput);
    return v;
}

double NumberReader::ReadReal() {
    double v = 0;
    if (!TryParseFloat(Token(), v)) throw AppError(kInvalidNumericInput);
    return v;
}

void NumberReader::SkipLine() {
    while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
}

bool NumberReader::AtEnd() const { return pos_ >= text_.size(); }

}  // namespace common
