#include "tuning/ScalaText.h"

#include "tuning/DecimalPrefix.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace scala_text {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool isBlankChar(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view skipBlanks(std::string_view text)
{
    while (!text.empty() && isBlankChar(text.front()))
        text.remove_prefix(1);
    return text;
}

}  // namespace

std::optional<std::string> readWholeFile(const char* path, std::string& error)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) {
        error = fileNameOf(path) + ": cannot open the file";
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0) {
        if (text.size() + got > kMaxFileBytes) {
            error = fileNameOf(path) + ": larger than 1 MB, not a Scala file";
            return std::nullopt;
        }
        text.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        error = fileNameOf(path) + ": cannot read the file";
        return std::nullopt;
    }
    return text;
}

std::string fileNameOf(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

Lines::Lines(std::string_view text) : rest(text)
{
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
}

bool Lines::next(std::string_view& line)
{
    if (rest.empty())
        return false;
    std::size_t end = 0;
    while (end < rest.size() && rest[end] != '\n' && rest[end] != '\r')
        ++end;
    line = rest.substr(0, end);
    std::size_t breakLength = 0;
    if (end < rest.size())
        breakLength = (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') ? 2 : 1;
    rest.remove_prefix(end + breakLength);
    ++lineNumber;
    return true;
}

bool isComment(std::string_view line)
{
    line = skipBlanks(line);
    return !line.empty() && line.front() == '!';
}

bool isBlank(std::string_view line)
{
    return skipBlanks(line).empty();
}

std::string_view firstWord(std::string_view line)
{
    line = skipBlanks(line);
    std::size_t end = 0;
    while (end < line.size() && !isBlankChar(line[end]) && line[end] != '!')
        ++end;
    return line.substr(0, end);
}

std::optional<long long> wholeNumber(std::string_view word)
{
    // At most 15 digits: exact in a double, and far beyond any note count or degree.
    if (word.empty() || word.size() > 15)
        return std::nullopt;
    long long value = 0;
    for (char c : word) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<double> decimalNumber(std::string_view word)
{
    std::size_t pos = (!word.empty() && (word[0] == '-' || word[0] == '+')) ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (std::size_t k = pos; k < word.size(); ++k) {
        if (isDigit(word[k]))
            digits = true;
        else if (word[k] == '.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (!digits)
        return std::nullopt;
    const double value = parseRealPrefix(word);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string quoted(std::string_view line)
{
    constexpr std::size_t kShown = 40;
    line = skipBlanks(line);
    if (line.empty())
        return "a blank line";
    std::string shown(line.substr(0, kShown));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';  // a message stays one printable line
    return "\"" + shown + (line.size() > kShown ? "...\"" : "\"");
}

}  // namespace scala_text
