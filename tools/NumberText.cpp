#include "tools/NumberText.h"

#include "tools/ToolError.h"

#include <charconv>
#include <cmath>

namespace tovarine::cli {

double parseNumber(const std::string& text, const std::string& what)
{
    double value = 0.0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        throw usageError(what + ": '" + text + "' is not a number");
    return value;
}

long parseInteger(const std::string& text, const std::string& what)
{
    long value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        throw usageError(what + ": '" + text + "' is not a whole number");
    return value;
}

}  // namespace tovarine::cli
