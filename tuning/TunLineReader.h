// Splits a ".tun" file into lines, byte by byte, the way the tuning map
// reader expects them:
// - a line ends at LF, CR, a zero byte or the end of the file;
// - A..Z are turned into a..z as they are read (tags and keys are
//   case-insensitive), other bytes are kept as they are;
// - empty lines (such as the second half of CR LF) are skipped and not
//   counted, so CR LF and LF files give the same line numbers;
// - a line holds at most kMaxLineLength characters.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

class TunLineReader {
public:
    static constexpr std::size_t kMaxLineLength = 509;

    enum class Status {
        Line,     // a line was read
        TooLong,  // the line has more than kMaxLineLength characters
        End,      // end of the file, or a read error (see readFailed())
    };

    // The reader does not own the file.
    explicit TunLineReader(std::FILE* file) : file(file) {}

    // Reads the next non-empty line. The view stays valid until the next call.
    Status next(std::string_view& line);

    // Number of the line last returned, counting non-empty lines from 1.
    int lineNumber() const { return lineCount; }

    bool readFailed() const { return std::ferror(file) != 0; }

private:
    std::FILE* file;
    int lineCount = 0;
    char buffer[kMaxLineLength + 1];
};

// Removes spaces and tabs from both ends.
std::string_view trimBlanks(std::string_view text);
