#include "programs/DecimalText.h"

#include <charconv>
#include <cstring>

std::size_t formatFixed(double value, int decimals, char* text, std::size_t textSize)
{
    if (!text || textSize == 0)
        return 0;
    // Large enough for any double in fixed notation (309 digits before the point).
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, decimals);
    std::size_t length = result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - buffer) : 0;
    if (length > textSize - 1)
        length = textSize - 1;
    std::memcpy(text, buffer, length);
    text[length] = '\0';
    return length;
}

float roundedToFiveDecimals(float value)
{
    char text[400];
    const std::size_t length = formatFixed(value, 5, text, sizeof(text));
    float parsed = value;
    std::from_chars(text, text + length, parsed);
    return parsed;
}
