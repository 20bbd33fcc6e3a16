#include "tuning/DecimalPrefix.h"

#include <charconv>
#include <climits>
#include <cstddef>
#include <limits>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t skipBlanks(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    return pos;
}

// Reads an optional sign at pos; returns true for a minus sign.
bool readSign(std::string_view text, std::size_t& pos)
{
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        return text[pos++] == '-';
    return false;
}

} // namespace

int parseIntegerPrefix(std::string_view text)
{
    std::size_t pos = skipBlanks(text, 0);
    const bool negative = readSign(text, pos);
    // Accumulated as a negative number so that INT_MIN itself fits.
    long long value = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos) {
        value = value * 10 - (text[pos] - '0');
        if (value < static_cast<long long>(INT_MIN) - 1)
            value = static_cast<long long>(INT_MIN) - 1;  // saturated; the remaining digits cannot matter
    }
    if (!negative)
        value = -value;
    if (value < INT_MIN)
        return INT_MIN;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}

double parseRealPrefix(std::string_view text)
{
    std::size_t pos = skipBlanks(text, 0);
    const bool negative = readSign(text, pos);
    const std::size_t numberStart = pos;

    // Scan the extent of the number first, and estimate its decimal order of
    // magnitude on the way: that decides between infinity and zero when the
    // value does not fit a double.
    long long magnitude = 0;  // power of ten of the first significant digit, roughly
    bool seenSignificant = false;
    bool seenMantissaDigit = false;
    while (pos < text.size() && isDigit(text[pos])) {
        seenMantissaDigit = true;
        if (text[pos] != '0')
            seenSignificant = true;
        if (seenSignificant)
            ++magnitude;
        ++pos;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) {
            seenMantissaDigit = true;
            if (!seenSignificant) {
                if (text[pos] != '0')
                    seenSignificant = true;
                else
                    --magnitude;
            }
            ++pos;
        }
    }
    if (!seenMantissaDigit)
        return 0.0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t expPos = pos + 1;
        const bool expNegative = readSign(text, expPos);
        if (expPos < text.size() && isDigit(text[expPos])) {
            long long exponent = 0;
            for (; expPos < text.size() && isDigit(text[expPos]); ++expPos)
                if (exponent < 1'000'000'000)
                    exponent = exponent * 10 + (text[expPos] - '0');
            magnitude += expNegative ? -exponent : exponent;
            pos = expPos;
        }
        // An "e" without digits after it is not part of the number.
    }
    if (!seenSignificant)
        return negative ? -0.0 : 0.0;

    const char* first = text.data() + numberStart;
    const char* last = text.data() + pos;
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    else if (result.ec != std::errc())
        value = 0.0;
    return negative ? -value : value;
}
