#include "model/PrnFunction.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "platform/NumberLocale.h"

namespace quillet {
namespace {

// Significant digits taken from a value before it is rounded to the wanted
// decimals; enough to represent any double, so only true halves round up.
constexpr int kSignificantDigits = 18;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Room for a text being rewritten: on the stack for texts the size of a
// cell, so summing the numbers of a large data file allocates nothing per
// cell. Holds at most the capacity it was made with.
class TextBuffer {
public:
    explicit TextBuffer(std::size_t capacity)
    {
        if (capacity > small_.size()) {
            large_.resize(capacity);
            data_ = large_.data();
        }
    }
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    void push_back(char c) { data_[size_++] = c; }
    const char* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::string_view View() const { return std::string_view(data_, size_); }

private:
    std::array<char, 256> small_;
    std::string large_;
    char* data_ = small_.data();
    std::size_t size_ = 0;
};

// Blanks around a number are accepted, as the standard conversions do.
std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// The value's decimal digits (no leading zeros unless it is zero) and the
// position of the decimal point counted from the first digit.
struct DecimalDigits {
    std::vector<char> digits;
    int pointPos = 0;
};

DecimalDigits ToDecimalDigits(double magnitude)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", kSignificantDigits - 1, magnitude);
    DecimalDigits result;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p) {
        if (IsDigit(*p))
            result.digits.push_back(*p);
    }
    int exponent = 0;
    if (*p == 'e')
        exponent = std::atoi(p + 1);
    result.pointPos = exponent + 1;
    return result;
}

// Keeps `decimals` digits after the point, rounding halves away from zero.
void RoundDigits(DecimalDigits& d, int decimals)
{
    long keep = static_cast<long>(d.pointPos) + decimals;
    if (keep >= static_cast<long>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (!up)
        return;
    std::size_t i = d.digits.size();
    while (i > 0) {
        --i;
        if (d.digits[i] != '9') {
            ++d.digits[i];
            return;
        }
        d.digits[i] = '0';
    }
    // Every digit carried over: 99.6 becomes 100.
    d.digits.insert(d.digits.begin(), '1');
    ++d.pointPos;
}

char DigitAt(const DecimalDigits& d, long index)
{
    if (index < 0 || index >= static_cast<long>(d.digits.size()))
        return '0';
    return d.digits[static_cast<std::size_t>(index)];
}

} // namespace

std::string RemoveChar(std::string_view s, char ch)
{
    std::string result;
    result.reserve(s.size());
    for (char c : s) {
        if (c != ch)
            result.push_back(c);
    }
    return result;
}

std::string RemoveSpaces(std::string_view s)
{
    return RemoveChar(s, ' ');
}

std::string FormatNumber(std::uint8_t decimals, double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";

    const NumberLocale& locale = CurrentNumberLocale();
    DecimalDigits d = ToDecimalDigits(std::fabs(value));
    RoundDigits(d, decimals);

    bool allZero = true;
    for (char c : d.digits)
        allZero = allZero && c == '0';

    std::string result;
    // A value that rounds to zero shows no sign.
    if (value < 0 && !allZero)
        result.push_back('-');

    long intDigits = d.pointPos > 0 ? d.pointPos : 0;
    if (intDigits == 0) {
        result.push_back('0');
    } else {
        for (long i = 0; i < intDigits; ++i) {
            if (i > 0 && (intDigits - i) % 3 == 0)
                result.push_back(locale.thousandsSeparator);
            result.push_back(DigitAt(d, i));
        }
    }
    if (decimals > 0) {
        result.push_back(locale.decimalSeparator);
        for (long i = 0; i < decimals; ++i)
            result.push_back(DigitAt(d, d.pointPos + i));
    }
    // The blanks of a right-aligned field never arise here; removing them keeps
    // the result free of blanks whatever the separators are.
    return RemoveSpaces(result);
}

bool StrToFloatStrict(std::string_view s, double& value)
{
    const char decimalSeparator = CurrentNumberLocale().decimalSeparator;
    s = TrimBlanks(s);

    // Validate the whole text first: the library conversion below would also
    // take "inf", "nan" and partial texts.
    TextBuffer normal(s.size());
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            normal.push_back('-');
        ++i;
    }
    std::size_t mantissaDigits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        normal.push_back(s[i++]);
        ++mantissaDigits;
    }
    if (i < s.size() && s[i] == decimalSeparator) {
        normal.push_back('.');
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            normal.push_back(s[i++]);
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        normal.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            if (s[i] == '-')
                normal.push_back('-');
            ++i;
        }
        std::size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i])) {
            normal.push_back(s[i++]);
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != s.size())
        return false;

    double result = 0;
    const char* end = normal.data() + normal.size();
    auto [ptr, ec] = std::from_chars(normal.data(), end, result, std::chars_format::general);
    // Values beyond the range of a double (either way) are not numbers.
    if (ec != std::errc() || ptr != end || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

double TextToNumber(std::string_view s)
{
    double value = 0;
    if (s.find(',') == std::string_view::npos) {
        if (!StrToFloatStrict(s, value))
            return kNotANumber;
        return value;
    }
    TextBuffer plain(s.size());
    for (char c : s) {
        if (c != ',')
            plain.push_back(c);
    }
    if (!StrToFloatStrict(plain.View(), value))
        return kNotANumber;
    return value;
}

int TextToInt(std::string_view s)
{
    constexpr int kFailure = static_cast<int>(kNotANumber);
    s = TrimBlanks(s);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i == s.size())
        return kFailure;
    // Accumulate in 64 bits and stop as soon as the int32 range is left, so
    // texts of any length are safe.
    const std::int64_t limit
        = static_cast<std::int64_t>(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    std::int64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        if (!IsDigit(s[i]))
            return kFailure;
        magnitude = magnitude * 10 + (s[i] - '0');
        if (magnitude > limit)
            return kFailure;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

} // namespace quillet
