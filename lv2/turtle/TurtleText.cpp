#include "lv2/turtle/BundleTurtle.h"

#include <charconv>

namespace bundle_turtle {

std::string number(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof(text), value);
    std::string s(text, result.ptr);
    if (s.find_first_of(".e") == std::string::npos)
        s += ".0";  // a Turtle decimal, not an integer
    return s;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

int versionPart(const char* version, int part)
{
    const std::string text = version;
    std::size_t start = 0;
    for (int i = 0; i < part; ++i) {
        start = text.find('.', start);
        if (start == std::string::npos)
            return 0;
        ++start;
    }
    int value = 0;
    std::from_chars(text.data() + start, text.data() + text.size(), value);
    return value;
}

}  // namespace bundle_turtle
