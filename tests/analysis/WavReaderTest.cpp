#include "analysis/WavReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, unsigned v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

void put32(Bytes& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void putTag(Bytes& b, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(tag[i]));
}

void putChunk(Bytes& b, const char* tag, const Bytes& content, bool pad = true)
{
    putTag(b, tag);
    put32(b, static_cast<std::uint32_t>(content.size()));
    b.insert(b.end(), content.begin(), content.end());
    if (pad && content.size() % 2)
        b.push_back(0);
}

// blockAlign < 0: the size of a frame of the given channels and bits.
Bytes formatContent(unsigned formatCode, unsigned channels, unsigned bits, int blockAlign = -1)
{
    if (blockAlign < 0)
        blockAlign = static_cast<int>(channels * ((bits + 7) / 8));
    Bytes f;
    put16(f, formatCode);
    put16(f, channels);
    put32(f, 44100);
    put32(f, 44100 * blockAlign);
    put16(f, blockAlign);
    put16(f, bits);
    return f;
}

// An extensible format chunk whose GUID names the given sample format.
Bytes extensibleContent(unsigned sampleFormat, unsigned channels, unsigned bits)
{
    Bytes f = formatContent(0xFFFE, channels, bits);
    put16(f, 22);    // cbSize
    put16(f, bits);  // valid bits
    put32(f, 0);     // channel mask
    put16(f, sampleFormat);
    const unsigned char guidRest[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    f.insert(f.end(), guidRest, guidRest + 14);
    return f;
}

// RIFF header, then the given chunks; the RIFF size is filled in.
Bytes riff(const Bytes& chunks)
{
    Bytes b;
    putTag(b, "RIFF");
    put32(b, static_cast<std::uint32_t>(chunks.size() + 4));
    putTag(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

Bytes samples16(std::initializer_list<int> values)
{
    Bytes b;
    for (int v : values)
        put16(b, static_cast<unsigned>(v) & 0xFFFF);
    return b;
}

Bytes wav16(unsigned channels, std::initializer_list<int> values)
{
    Bytes chunks;
    putChunk(chunks, "fmt ", formatContent(1, channels, 16));
    putChunk(chunks, "data", samples16(values));
    return riff(chunks);
}

class WavReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = (std::filesystem::temp_directory_path() /
                ("tovarine-wav-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav"))
                   .string();
    }
    void TearDown() override { std::filesystem::remove(path); }

    WavReader& open(const Bytes& bytes)
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        reader.open(path.c_str());
        return reader;
    }

    std::string path;
    WavReader reader;
};

} // namespace

TEST_F(WavReaderTest, CanonicalMonoFile)
{
    open(wav16(1, {0x7FFF, -32768, 1, -1}));
    ASSERT_TRUE(reader.valid);
    EXPECT_EQ(reader.fmtOffset, 12);
    EXPECT_EQ(reader.dataOffset, 36);
    EXPECT_EQ(reader.dataSize, 8);
    EXPECT_EQ(reader.framesInFile(), 4);
    EXPECT_FALSE(reader.stereo);
    EXPECT_EQ(reader.readSample(0, true), 0.999969482421875f);
    EXPECT_EQ(reader.readSample(1, true), -1.0f);
    EXPECT_EQ(reader.readSample(1, false), -1.0f);  // mono ignores the channel
    EXPECT_EQ(reader.readSample(2, true), 1.0f / 32768.0f);
    EXPECT_EQ(reader.readSample(3, true), -1.0f / 32768.0f);
    EXPECT_EQ(reader.readSample(-1, true), 0.0f);
    EXPECT_EQ(reader.readSample(4, true), 0.0f);
}

TEST_F(WavReaderTest, StereoAndMultichannelPickTheirOwnChannel)
{
    open(wav16(2, {100, -200, 300, -400}));
    ASSERT_TRUE(reader.valid);
    EXPECT_TRUE(reader.stereo);
    EXPECT_EQ(reader.framesInFile(), 2);
    EXPECT_EQ(reader.readSample(1, true), 300 / 32768.0f);
    EXPECT_EQ(reader.readSample(1, false), -400 / 32768.0f);

    // Four channels: the first two of each frame, never a whole frame.
    open(wav16(4, {1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(reader.valid);
    EXPECT_FALSE(reader.stereo);
    EXPECT_EQ(reader.framesInFile(), 2);
    EXPECT_EQ(reader.readSample(0, true), 1 / 32768.0f);
    EXPECT_EQ(reader.readSample(0, false), 2 / 32768.0f);
    EXPECT_EQ(reader.readSample(1, true), 5 / 32768.0f);
    EXPECT_EQ(reader.readSample(1, false), 6 / 32768.0f);
}

TEST_F(WavReaderTest, OtherEncodingsAreDecodedNotReadAsSixteenBit)
{
    struct Case {
        const char* what;
        Bytes format;
        Bytes data;
        float first, second;
    };
    Bytes int32Data;
    put32(int32Data, 0x40000000u);
    put32(int32Data, 0x80000000u);
    Bytes float32Data;
    put32(float32Data, 0x3F000000u);  // 0.5f
    put32(float32Data, 0xBE800000u);  // -0.25f
    Bytes float64Data;
    put32(float64Data, 0);
    put32(float64Data, 0x3FE80000u);  // 0.75
    put32(float64Data, 0);
    put32(float64Data, 0xBFF00000u);  // -1.0

    const Case cases[] = {
        {"8-bit unsigned", formatContent(1, 1, 8), {0xFF, 0x00}, 127 / 128.0f, -1.0f},
        {"24-bit", formatContent(1, 1, 24), {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80}, 8388607 / 8388608.0f, -1.0f},
        {"20 bits in 24", formatContent(1, 1, 20), {0x10, 0x00, 0x00, 0xF0, 0xFF, 0xFF}, 16 / 8388608.0f,
         -16 / 8388608.0f},
        {"32-bit integer", formatContent(1, 1, 32), int32Data, 0.5f, -1.0f},
        {"32-bit float", formatContent(3, 1, 32), float32Data, 0.5f, -0.25f},
        {"64-bit float", formatContent(3, 1, 64), float64Data, 0.75f, -1.0f},
        {"extensible 24-bit", extensibleContent(1, 1, 24), {0x00, 0x00, 0x40, 0x00, 0x00, 0xC0}, 0.5f, -0.5f},
        {"extensible float", extensibleContent(3, 1, 32), float32Data, 0.5f, -0.25f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes chunks;
        putChunk(chunks, "fmt ", c.format);
        putChunk(chunks, "data", c.data);
        open(riff(chunks));
        ASSERT_TRUE(reader.valid);
        EXPECT_EQ(reader.framesInFile(), 2);
        EXPECT_EQ(reader.readSample(0, true), c.first);
        EXPECT_EQ(reader.readSample(1, true), c.second);
    }
}

TEST_F(WavReaderTest, UnsupportedFormatsAreRefused)
{
    const Bytes formats[] = {
        formatContent(2, 1, 4, 256),   // ADPCM
        formatContent(7, 1, 8),        // mu-law
        formatContent(3, 1, 16),       // "float" of 16 bits
        formatContent(1, 1, 40),       // 40-bit integers
        formatContent(1, 0, 16, 2),    // no channels
        formatContent(1, 1, 16, 0),    // block align 0
        formatContent(1, 2, 16, 2),    // block align smaller than a frame
        extensibleContent(2, 1, 16),   // extensible ADPCM
    };
    for (const Bytes& format : formats) {
        SCOPED_TRACE(&format - formats);
        Bytes chunks;
        putChunk(chunks, "fmt ", format);
        putChunk(chunks, "data", samples16({1, 2, 3, 4}));
        open(riff(chunks));
        EXPECT_FALSE(reader.valid);
        EXPECT_EQ(reader.framesInFile(), 0);
        EXPECT_EQ(reader.readSample(0, true), 0.0f);
    }
}

TEST_F(WavReaderTest, ChunksAreWalkedBySize)
{
    // An odd-sized chunk and its pad byte put "data" at 46, not a multiple of 4.
    Bytes chunks;
    putChunk(chunks, "fmt ", formatContent(1, 1, 16));
    putChunk(chunks, "LIST", Bytes{'I', 'N', 'F', 'O', 'x'});
    putChunk(chunks, "data", samples16({1234}));
    open(riff(chunks));
    ASSERT_TRUE(reader.valid);
    EXPECT_EQ(reader.dataOffset, 50);
    EXPECT_EQ(reader.readSample(0, true), 1234 / 32768.0f);

    // A "data" word inside another chunk's contents is not the data chunk.
    chunks.clear();
    putChunk(chunks, "fmt ", formatContent(1, 1, 16));
    putChunk(chunks, "LIST", Bytes{'d', 'a', 't', 'a', 4, 0, 0, 0, 9, 9, 9, 9});
    putChunk(chunks, "data", samples16({77}));
    open(riff(chunks));
    ASSERT_TRUE(reader.valid);
    EXPECT_EQ(reader.dataOffset, 56);
    EXPECT_EQ(reader.readSample(0, true), 77 / 32768.0f);

    // Chunks before the format chunk (JUNK reserved for a later header) are stepped over.
    chunks.clear();
    putChunk(chunks, "JUNK", Bytes(28, 0));
    putChunk(chunks, "fmt ", formatContent(1, 1, 16));
    putChunk(chunks, "data", samples16({-5}));
    open(riff(chunks));
    ASSERT_TRUE(reader.valid);
    EXPECT_EQ(reader.fmtOffset, 48);
    EXPECT_EQ(reader.readSample(0, true), -5 / 32768.0f);
}

TEST_F(WavReaderTest, BrokenChunkSizeFallsBackToWordScan)
{
    // The LIST chunk claims 4 GB; "data" still sits at a multiple of 4.
    Bytes chunks;
    putChunk(chunks, "fmt ", formatContent(1, 1, 16));
    putTag(chunks, "LIST");
    put32(chunks, 0xFFFFFFF0u);
    putTag(chunks, "INFO");
    putChunk(chunks, "data", samples16({42, 43}));
    open(riff(chunks));
    ASSERT_TRUE(reader.valid);
    EXPECT_EQ(reader.dataOffset, 48);
    EXPECT_EQ(reader.readSample(1, true), 43 / 32768.0f);

    // The same far into the file, past the scan's first block.
    chunks.clear();
    putChunk(chunks, "fmt ", formatContent(1, 1, 16));
    putTag(chunks, "LIST");
    put32(chunks, 0xFFFFFFF0u);
    chunks.resize(chunks.size() + 100000, 'x');
    putChunk(chunks, "data", samples16({44}));
    open(riff(chunks));
    ASSERT_TRUE(reader.valid);
    EXPECT_EQ(reader.dataOffset, 100044);
    EXPECT_EQ(reader.readSample(0, true), 44 / 32768.0f);
}

TEST_F(WavReaderTest, MalformedHeadersLeaveReaderInvalid)
{
    Bytes noRiff = wav16(1, {1});
    noRiff[0] = 'X';
    Bytes noWave = wav16(1, {1});
    noWave[8] = 'X';
    Bytes noData;
    putChunk(noData, "fmt ", formatContent(1, 1, 16));
    Bytes noFormat;
    putChunk(noFormat, "data", samples16({1}));
    Bytes shortFormat;
    putChunk(shortFormat, "fmt ", Bytes{1, 0, 1, 0});
    putChunk(shortFormat, "data", samples16({1}));

    // Another RIFF form (a video, say): searched for "WAVE" without finding it.
    Bytes video;
    putTag(video, "RIFF");
    put32(video, 4000004);
    putTag(video, "AVI ");
    video.resize(4000012, 0);

    for (const Bytes& file :
         {noRiff, noWave, riff(noData), riff(noFormat), riff(shortFormat), Bytes{}, video}) {
        open(file);
        EXPECT_FALSE(reader.valid);
        EXPECT_EQ(reader.readSample(0, true), 0.0f);
    }

    reader.open((path + ".missing").c_str());
    EXPECT_FALSE(reader.valid);
    EXPECT_EQ(reader.file, nullptr);
    reader.open(nullptr);
    EXPECT_FALSE(reader.valid);
}

TEST_F(WavReaderTest, TruncatedFilesReadOnlyWhatIsThere)
{
    const Bytes full = wav16(2, {1, 2, 3, 4, 5, 6});
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        open(Bytes(full.begin(), full.begin() + static_cast<long>(length)));
        // The header ends at byte 44; after it, whole frames of 4 bytes.
        ASSERT_EQ(reader.valid, length >= 44);
        const long frames = length >= 44 ? static_cast<long>(length - 44) / 4 : 0;
        EXPECT_EQ(reader.framesInFile(), frames);
        for (int i = 0; i <= 3; ++i)
            EXPECT_EQ(reader.readSample(i, false), i < frames ? (2 * i + 2) / 32768.0f : 0.0f);
    }
}

TEST_F(WavReaderTest, GarbageAfterTheTagsDoesNotCrash)
{
    std::mt19937 random(1234);
    for (int trial = 0; trial < 300; ++trial) {
        Bytes file = wav16(trial % 3 + 1, {1, 2, 3, 4, 5, 6});
        std::uniform_int_distribution<std::size_t> position(12, file.size() - 1);
        for (int k = 0; k < 4; ++k)
            file[position(random)] = static_cast<unsigned char>(random());
        open(file);
        for (int i = -1; i < 8; ++i) {
            EXPECT_FALSE(std::isnan(reader.readSample(i, true)));
            reader.readSample(i, false);
        }
    }
}

TEST_F(WavReaderTest, ReopeningResetsTheHeader)
{
    open(wav16(2, {1, 2}));
    ASSERT_TRUE(reader.valid);
    Bytes bad = wav16(1, {1});
    bad[0] = 'X';
    open(bad);
    EXPECT_FALSE(reader.valid);
    EXPECT_FALSE(reader.stereo);
    EXPECT_EQ(reader.blockAlign, 0u);
    EXPECT_EQ(reader.path, path);
}
