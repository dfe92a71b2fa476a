#include "common/number_format.h"

#include "common/errors.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

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

Digits SignificantDigits(double value, int precision) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, std::fabs(value));
    Digits d;
    d.negative = std::signbit(value) && value != 0.0;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.') d.digits.push_back(*p);
    d.exponent = std::atoi(p + 1);
    return d;
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

std::string IntToText(std::int64_t value) { return std::to_string(value); }

std::string FormatFixed(double value, int decimals, int precision) {
    if (!std::isfinite(value)) return NonFinite(value);
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
    std::string text = buf;
    const std::size_t point = text.find('.');
    const std::size_t intDigits = point == std::string::npos ? text.size() : point;
    if (static_cast<int>(intDigits) > precision) {
        const Digits d = SignificantDigits(value, precision);
        std::string out = d.negative ? "-" : "";
        out += d.digits.substr(0, 1);
        if (d.digits.size() > 1) out += "." + d.digits.substr(1);
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", d.exponent < 0 ? '-' : '+', std::abs(d.exponent));
        return out + exp;
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
    if (n > 1) out += "." + d.digits.substr(1);
    out += "E" + std::to_string(d.exponent);
    return out;
}

std::string FormatParExponent(double value) {
    if (!std::isfinite(value)) return NonFinite(value);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string text = buf;  // d.ddddddddddddddde[+-]xx
    const std::size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%04d", exponent < 0 ? '-' : '+', std::abs(exponent));
    const bool negative = std::signbit(value) && value != 0.0;
    return std::string(negative ? "-" : " ") + text.substr(0, e) + exp;
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
