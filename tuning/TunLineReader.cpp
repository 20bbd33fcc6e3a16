#include "tuning/TunLineReader.h"

namespace {

bool isLineEnd(int c)
{
    return c == '\n' || c == '\r' || c == '\0';
}

bool isSpaceOrTab(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

TunLineReader::Status TunLineReader::next(std::string_view& line)
{
    int c = std::getc(file);
    while (c != EOF && isLineEnd(c))
        c = std::getc(file);
    if (c == EOF)
        return Status::End;

    ++lineCount;
    std::size_t length = 0;
    for (; c != EOF && !isLineEnd(c); c = std::getc(file)) {
        if (length == kMaxLineLength)
            return Status::TooLong;
        buffer[length++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    }
    line = std::string_view(buffer, length);
    return Status::Line;
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isSpaceOrTab(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpaceOrTab(text.back()))
        text.remove_suffix(1);
    return text;
}
