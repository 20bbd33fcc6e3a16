#include "tools/MidiFileCheck.h"

#include "tools/ToolError.h"

namespace tovarine::cli {

namespace {

constexpr std::size_t kChunkHeaderBytes = 8;
constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kEndOfTrack = 0x2F;

uint32_t bigEndian(const std::vector<uint8_t>& bytes, std::size_t at, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

// Walks one track chunk's events, [begin, end) of the file.
class TrackReader {
public:
    TrackReader(const std::vector<uint8_t>& bytes, std::size_t begin, std::size_t end, const std::string& where)
        : bytes_(bytes), pos_(begin), end_(end), where_(where) {}

    // Parses events up to End of Track; throws at the first problem.
    void readToEndOfTrack()
    {
        uint8_t runningStatus = 0;
        for (;;) {
            if (pos_ >= end_)
                fail("ends without its End of Track event (is the file cut short?)");
            variableLength();  // delta time
            uint8_t status = next("an event");
            if (status < 0x80) {
                if (runningStatus == 0)
                    fail("has a data byte where an event should start");
                status = runningStatus;
                --pos_;  // the byte was the first data byte
            }
            if (status == kMetaEvent) {
                const uint8_t type = next("a meta event");
                skip(variableLength());
                if (type == kEndOfTrack)
                    return;
            } else if (status == 0xF0) {
                skip(variableLength());  // system exclusive
                runningStatus = 0;
            } else if (status == 0xF7) {
                fail("has a system exclusive continuation (F7), which libsmf cannot read");
            } else if (status >= 0xF0) {
                fail("has a system message that a MIDI file cannot hold");
            } else {
                const int dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
                for (int i = 0; i < dataBytes; ++i)
                    if (next("a channel message") >= 0x80)
                        fail("has a channel message with a status byte among its data");
                runningStatus = status;
            }
        }
    }

private:
    [[noreturn]] void fail(const std::string& problem) const { throw ToolError(where_ + " " + problem); }

    uint8_t next(const char* what)
    {
        if (pos_ >= end_)
            fail(std::string("ends inside ") + what);
        return bytes_[pos_++];
    }

    uint32_t variableLength()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t byte = next("a length or time");
            value = (value << 7) | (byte & 0x7F);
            if (!(byte & 0x80))
                return value;
        }
        fail("has a length or time longer than four bytes");
    }

    void skip(uint32_t count)
    {
        if (count > end_ - pos_)
            fail("has an event running past the end of the track");
        pos_ += count;
    }

    const std::vector<uint8_t>& bytes_;
    std::size_t pos_;
    std::size_t end_;
    std::string where_;
};

}  // namespace

void checkStandardMidiFile(const std::vector<uint8_t>& bytes, const std::string& path)
{
    const auto tag = [&](std::size_t at) { return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                                              bytes.begin() + static_cast<std::ptrdiff_t>(at + 4)); };
    if (bytes.size() < kChunkHeaderBytes + 6 || tag(0) != "MThd")
        throw ToolError(path + ": not a Standard MIDI File");
    const uint32_t headerLength = bigEndian(bytes, 4, 4);
    if (headerLength < 6 || headerLength > bytes.size() - kChunkHeaderBytes)
        throw ToolError(path + ": not a Standard MIDI File (header of " + std::to_string(headerLength) + " bytes)");
    const uint32_t format = bigEndian(bytes, 8, 2);
    const uint32_t tracks = bigEndian(bytes, 10, 2);
    if (format > 1)
        throw ToolError(path + ": a format " + std::to_string(format) + " MIDI file; only formats 0 and 1 can be played");
    if (tracks == 0 || (format == 0 && tracks != 1))
        throw ToolError(path + ": a format " + std::to_string(format) + " MIDI file with " + std::to_string(tracks) + " tracks");
    if (bigEndian(bytes, 12, 2) == 0)
        throw ToolError(path + ": a MIDI file with 0 ticks per quarter note");

    uint32_t tracksSeen = 0;
    std::size_t pos = kChunkHeaderBytes + headerLength;
    while (tracksSeen < tracks) {
        const std::string where = path + ": track " + std::to_string(tracksSeen + 1) + " of " + std::to_string(tracks);
        if (bytes.size() - pos < kChunkHeaderBytes)
            throw ToolError(where + " is missing (is the file cut short?)");
        const uint32_t length = bigEndian(bytes, pos + 4, 4);
        const std::size_t body = pos + kChunkHeaderBytes;
        if (length > bytes.size() - body)
            throw ToolError(where + " needs " + std::to_string(length) + " bytes, " + std::to_string(bytes.size() - body)
                            + " remain (is the file cut short?)");
        if (tag(pos) == "MTrk") {
            TrackReader(bytes, body, body + length, where).readToEndOfTrack();
            ++tracksSeen;
        }
        pos = body + length;  // chunks of other types are skipped, as the format asks
    }
}

}  // namespace tovarine::cli
