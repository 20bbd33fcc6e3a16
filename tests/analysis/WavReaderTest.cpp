#include "analysis/WavReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void putLE(Bytes& b, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void putChunk(Bytes& b, const char* tag, const Bytes& content)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(tag[i]));
    putLE(b, static_cast<std::uint32_t>(content.size()), 4);
    b.insert(b.end(), content.begin(), content.end());
    if (content.size() % 2)
        b.push_back(0);
}

// Format chunk contents; blockAlign < 0 means channels * bytes per sample.
Bytes format(unsigned code, unsigned channels, unsigned bits, int blockAlign = -1)
{
    Bytes f;
    putLE(f, code, 2);
    putLE(f, channels, 2);
    putLE(f, 44100, 4);
    putLE(f, 0, 4);
    putLE(f, blockAlign < 0 ? channels * ((bits + 7) / 8) : static_cast<unsigned>(blockAlign), 2);
    putLE(f, bits, 2);
    return f;
}

// The extension of WAVE_FORMAT_EXTENSIBLE; the GUID starts with the sample format code.
Bytes extensible(unsigned sampleFormat, unsigned bits)
{
    Bytes f = format(0xFFFE, 1, bits);
    putLE(f, 22, 2);
    putLE(f, bits, 2);
    putLE(f, 0, 4);
    putLE(f, sampleFormat, 2);
    f.insert(f.end(), {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
    return f;
}

Bytes riff(const Bytes& chunks)
{
    Bytes b = {'R', 'I', 'F', 'F'};
    putLE(b, static_cast<std::uint32_t>(chunks.size() + 4), 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E'});
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

Bytes pcm16(std::initializer_list<int> values)
{
    Bytes b;
    for (int v : values)
        putLE(b, static_cast<std::uint32_t>(v), 2);
    return b;
}

Bytes wav16(unsigned channels, std::initializer_list<int> values)
{
    Bytes chunks;
    putChunk(chunks, "fmt ", format(1, channels, 16));
    putChunk(chunks, "data", pcm16(values));
    return riff(chunks);
}

class WavReaderTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(path); }

    WavReader& open(const Bytes& bytes)
    {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        reader.open(path.c_str());
        return reader;
    }

    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tovarine-wav-" + std::to_string(::getpid()) + ".wav")).string();
    WavReader reader;
};

} // namespace

TEST_F(WavReaderTest, SixteenBitChannelsAndBounds)
{
    open(wav16(1, {0x7FFF, -32768}));
    ASSERT_TRUE(reader.valid);
    EXPECT_EQ(reader.fmtOffset, 12);
    EXPECT_EQ(reader.dataOffset, 36);
    EXPECT_EQ(reader.readSample(0, true), 0.999969482421875f);
    EXPECT_EQ(reader.readSample(1, false), -1.0f);  // mono ignores the channel
    EXPECT_EQ(reader.readSample(-1, true), 0.0f);
    EXPECT_EQ(reader.readSample(2, true), 0.0f);

    open(wav16(2, {100, -200, 300, -400}));
    EXPECT_TRUE(reader.stereo);
    EXPECT_EQ(reader.readSample(1, true), 300 / 32768.0f);
    EXPECT_EQ(reader.readSample(1, false), -400 / 32768.0f);

    // Four channels: the first two of each frame, never the whole frame.
    open(wav16(4, {1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(reader.framesInFile(), 2);
    EXPECT_EQ(reader.readSample(1, true), 5 / 32768.0f);
    EXPECT_EQ(reader.readSample(1, false), 6 / 32768.0f);
}

TEST_F(WavReaderTest, OtherEncodingsAreDecodedOrRefused)
{
    const struct {
        Bytes format;
        Bytes data;
        float first, second;
    } decoded[] = {
        {format(1, 1, 8), {0xFF, 0x00}, 127 / 128.0f, -1.0f},
        {format(1, 1, 24), {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80}, 8388607 / 8388608.0f, -1.0f},
        {format(1, 1, 20), {0x10, 0x00, 0x00, 0xF0, 0xFF, 0xFF}, 16 / 8388608.0f, -16 / 8388608.0f},
        {format(1, 1, 32), {0, 0, 0, 0x40, 0, 0, 0, 0x80}, 0.5f, -1.0f},
        {format(3, 1, 32), {0, 0, 0, 0x3F, 0, 0, 0x80, 0xBE}, 0.5f, -0.25f},
        {format(3, 1, 64), {0, 0, 0, 0, 0, 0, 0xE8, 0x3F, 0, 0, 0, 0, 0, 0, 0xF0, 0xBF}, 0.75f, -1.0f},
        {extensible(1, 24), {0, 0, 0x40, 0, 0, 0xC0}, 0.5f, -0.5f},
        {extensible(3, 32), {0, 0, 0, 0x3F, 0, 0, 0x80, 0xBE}, 0.5f, -0.25f},
    };
    for (const auto& c : decoded) {
        SCOPED_TRACE(&c - decoded);
        Bytes chunks;
        putChunk(chunks, "fmt ", c.format);
        putChunk(chunks, "data", c.data);
        ASSERT_TRUE(open(riff(chunks)).valid);
        EXPECT_EQ(reader.framesInFile(), 2);
        EXPECT_EQ(reader.readSample(0, true), c.first);
        EXPECT_EQ(reader.readSample(1, true), c.second);
    }
    // ADPCM, mu-law, 16-bit "float", 40-bit integers, no channels, block
    // align 0 or smaller than a frame, extensible ADPCM.
    const Bytes refused[] = {format(2, 1, 4, 256), format(7, 1, 8), format(3, 1, 16), format(1, 1, 40),
                             format(1, 0, 16, 2),  format(1, 1, 16, 0), format(1, 2, 16, 2), extensible(2, 16)};
    for (const Bytes& f : refused) {
        SCOPED_TRACE(&f - refused);
        Bytes chunks;
        putChunk(chunks, "fmt ", f);
        putChunk(chunks, "data", pcm16({1, 2, 3, 4}));
        EXPECT_FALSE(open(riff(chunks)).valid);
        EXPECT_EQ(reader.readSample(0, true), 0.0f);
    }
}

TEST_F(WavReaderTest, ChunksAreWalkedBySize)
{
    const auto chunk = [](const char* tag, const Bytes& content) {
        Bytes c;
        putChunk(c, tag, content);
        return c;
    };
    const Bytes fmt = chunk("fmt ", format(1, 1, 16));
    Bytes brokenSize = {'L', 'I', 'S', 'T', 0xF0, 0xFF, 0xFF, 0xFF};
    brokenSize.resize(100000, 'x');
    const struct {
        std::vector<Bytes> before;  // chunks before "data"
        std::int64_t dataOffset;
    } layouts[] = {
        // An odd-sized chunk and its pad byte: "data" at 50, not a multiple of 4.
        {{fmt, chunk("LIST", {'I', 'N', 'F', 'O', 'x'})}, 50},
        // A "data" word inside another chunk is not the data chunk.
        {{fmt, chunk("LIST", {'d', 'a', 't', 'a', 4, 0, 0, 0, 9, 9, 9, 9})}, 56},
        {{chunk("JUNK", Bytes(28, 0)), fmt}, 72},
        // A size running past the end: "data" is found by the 4-byte word scan.
        {{fmt, brokenSize}, 100036},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.dataOffset);
        Bytes chunks;
        for (const Bytes& c : layout.before)
            chunks.insert(chunks.end(), c.begin(), c.end());
        putChunk(chunks, "data", pcm16({1234}));
        ASSERT_TRUE(open(riff(chunks)).valid);
        EXPECT_EQ(reader.dataOffset, layout.dataOffset);
        EXPECT_EQ(reader.readSample(0, true), 1234 / 32768.0f);
    }
}

TEST_F(WavReaderTest, MalformedAndTruncatedFiles)
{
    Bytes noWave = wav16(1, {1});
    noWave[8] = 'X';
    Bytes noData;
    putChunk(noData, "fmt ", format(1, 1, 16));
    Bytes video = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '};
    video.resize(4000000, 0);  // another RIFF form, searched for "WAVE" in vain
    for (const Bytes& file : {Bytes{}, noWave, riff(noData), riff(pcm16({1})), video})
        EXPECT_FALSE(open(file).valid);
    reader.open((path + ".missing").c_str());
    EXPECT_FALSE(reader.valid);

    // Cut after every byte: valid from the end of the header on, whole frames only.
    const Bytes full = wav16(2, {1, 2, 3, 4, 5, 6});
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        open(Bytes(full.begin(), full.begin() + static_cast<long>(length)));
        ASSERT_EQ(reader.valid, length >= 44);
        const long frames = length >= 44 ? static_cast<long>(length - 44) / 4 : 0;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(reader.readSample(i, false), i < frames ? (2 * i + 2) / 32768.0f : 0.0f);
    }

}
