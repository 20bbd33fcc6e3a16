// What the two Scala file kinds (".scl" scales, ".kbm" keyboard mappings)
// share: whole-file reading, line splitting with line numbers, comments, and
// number reading independent of the process locale (a host that called
// setlocale() must not turn "1.5" into 1).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace scala_text {

// Real Scala files are a few kilobytes; anything far larger is not one.
inline constexpr std::size_t kMaxFileBytes = 1 << 20;

// The whole file, or nothing (with the reason in error) when it cannot be
// opened or read or is larger than kMaxFileBytes.
std::optional<std::string> readWholeFile(const char* path, std::string& error);

// The file name without folders: what messages and tuning names show.
std::string fileNameOf(std::string_view path);

// Reads path whole and hands its text and file name to parse (a parseX function of a reader).
template <class Parse>
auto parseFile(const char* path, std::string& error, Parse parse) -> decltype(parse({}, {}, error))
{
    const std::optional<std::string> text = readWholeFile(path, error);
    if (!text)
        return std::nullopt;
    return parse(*text, fileNameOf(path), error);
}

// Lines end at LF, CR LF or a lone CR; every line counts, so line numbers are
// those an editor shows. A line break at the very end does not start a line.
// A UTF-8 byte order mark at the start (some Windows editors write one) is
// not part of the text.
class Lines {
public:
    explicit Lines(std::string_view text);

    // The next line, without its line break; false at the end of the text.
    bool next(std::string_view& line);
    int number() const { return lineNumber; }
    bool atEnd() const { return rest.empty(); }

private:
    std::string_view rest;
    int lineNumber = 0;
};

// Lines whose first non-blank character is '!' are comments.
bool isComment(std::string_view line);
bool isBlank(std::string_view line);

// A value is the first word of its line (after leading blanks): it ends at a
// blank, a '!' or the end of the line, and whatever follows it is ignored
// (scales put pitch names there).
std::string_view firstWord(std::string_view line);

// Exact forms, nothing else in the word: digits only ("12"), and digits
// with at most one decimal point and an optional sign ("-3.5", "100.", ".5").
std::optional<long long> wholeNumber(std::string_view word);
std::optional<double> decimalNumber(std::string_view word);

// A line as messages quote it: in quotes, cut to a readable length, or "a blank line".
std::string quoted(std::string_view line);

}  // namespace scala_text
