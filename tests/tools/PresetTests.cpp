// Standard preset files: the header fields hosts read, byte-identical round
// trips through raw chunks, and files of other plug-ins or sizes refused.
#include "tests/testhost/TestHost.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace clitest;

namespace {

constexpr int32_t kFakeId = ('F' << 24) | ('k' << 16) | ('G' << 8) | 'n';

std::string fourCC(const std::vector<uint8_t>& bytes, std::size_t offset) { return std::string(bytes.begin() + offset, bytes.begin() + offset + 4); }

ToolResult fake(std::vector<std::string> args)
{
    args.push_back("--plugin");
    args.push_back(fakePluginPath());
    return runTool(args);
}

// The fake's program chunk: name[24], then gain and probe as floats.
float gainIn(const std::vector<uint8_t>& chunk)
{
    float value;
    std::memcpy(&value, chunk.data() + 24, sizeof(value));
    return value;
}

}  // namespace

TEST(ToolPreset, SavedFilesCarryTheStandardBigEndianHeaders)
{
    TempDir dir;
    ASSERT_EQ(fake({"preset", "save", dir.file("p.fxp"), "--program", "1", "--param", "0=0.375"}).exitCode, 0);
    const auto fxp = readBytes(dir.file("p.fxp"));
    ASSERT_EQ(fxp.size(), 60u + 32u);
    EXPECT_EQ(fourCC(fxp, 0), "CcnK");
    EXPECT_EQ(bigEndianAt(fxp, 4), 84);
    EXPECT_EQ(fourCC(fxp, 8), "FPCh");
    EXPECT_EQ(bigEndianAt(fxp, 12), 1);
    EXPECT_EQ(bigEndianAt(fxp, 16), kFakeId);
    EXPECT_EQ(bigEndianAt(fxp, 20), 7);
    EXPECT_EQ(bigEndianAt(fxp, 24), 2);
    EXPECT_STREQ(reinterpret_cast<const char*>(fxp.data() + 28), "Half");
    EXPECT_EQ(bigEndianAt(fxp, 56), 32);
    EXPECT_EQ(gainIn({fxp.begin() + 60, fxp.end()}), 0.375f);

    ASSERT_EQ(fake({"preset", "save", dir.file("b.fxb"), "--program", "2"}).exitCode, 0);
    const auto fxb = readBytes(dir.file("b.fxb"));
    ASSERT_EQ(fxb.size(), 160u + 96u);
    EXPECT_EQ(fourCC(fxb, 8), "FBCh");
    EXPECT_EQ(bigEndianAt(fxb, 4), 248);
    EXPECT_EQ(bigEndianAt(fxb, 12), 2);
    EXPECT_EQ(bigEndianAt(fxb, 24), 3);
    EXPECT_EQ(bigEndianAt(fxb, 28), 2);  // current program
    EXPECT_EQ(bigEndianAt(fxb, 156), 96);
}

TEST(ToolPreset, RawChunksRoundTripByteIdentical)
{
    TempDir dir;
    ASSERT_EQ(fake({"preset", "save", dir.file("p.fxp"), "--program", "2", "--param", "1=0.25"}).exitCode, 0);
    ASSERT_EQ(fake({"preset", "save", dir.file("b.fxb"), "--param", "0=0.125"}).exitCode, 0);
    for (const char* name : {"p.fxp", "b.fxb"}) {
        SCOPED_TRACE(name);
        const std::string original = dir.file(name);
        const std::string copy = dir.file(std::string("copy.") + (name[0] == 'p' ? "fxp" : "fxb"));
        ToolResult r = fake({"preset", "to-raw", original, "-o", dir.file("raw.bin")});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        r = fake({"preset", "from-raw", dir.file("raw.bin"), "-o", copy});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(readBytes(copy), readBytes(original));
        const auto raw = readBytes(dir.file("raw.bin"));
        const auto full = readBytes(original);
        EXPECT_EQ(raw, std::vector<uint8_t>(full.end() - static_cast<std::ptrdiff_t>(raw.size()), full.end()));
    }
}

TEST(ToolPreset, BankProgramsCanBeListedExtractedAndRendered)
{
    TempDir dir;
    // A bank whose program 1 was renamed by the plug-in's own chunk: set the
    // gain of program 1 and save the bank.
    ASSERT_EQ(fake({"preset", "save", dir.file("b.fxb"), "--program", "1", "--param", "0=0.0625"}).exitCode, 0);
    const ToolResult listed = fake({"preset", "list", dir.file("b.fxb")});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "  0  Unity\n  1  Half\n  2  Double\n");

    ASSERT_EQ(fake({"preset", "extract", dir.file("b.fxb"), "--program", "1", "-o", dir.file("one.fxp")}).exitCode, 0);
    const auto fxp = readBytes(dir.file("one.fxp"));
    ASSERT_EQ(fxp.size(), 92u);
    EXPECT_STREQ(reinterpret_cast<const char*>(fxp.data() + 28), "Half");
    EXPECT_EQ(gainIn({fxp.begin() + 60, fxp.end()}), 0.0625f);

    // Rendering with the program applies its gain (2 x 0.0625).
    tovarine::cli::StereoBuffer ones{44100, std::vector<float>(64, 1.f), std::vector<float>(64, 1.f)};
    writeFloatWav(dir.file("in.wav"), ones);
    for (const std::vector<std::string>& state :
         {std::vector<std::string>{"--preset", dir.file("one.fxp")}, std::vector<std::string>{"--bank", dir.file("b.fxb"), "--program", "1"}}) {
        std::vector<std::string> args = {"render", dir.file("in.wav"), "-o", dir.file("out.wav"), "--tail", "0", "--bits", "32", "--quiet"};
        args.insert(args.end(), state.begin(), state.end());
        const ToolResult r = fake(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(tovarine::cli::readAudioFile(dir.file("out.wav")).left[10], 0.125f);
    }
}

TEST(ToolPreset, ForeignTruncatedAndMisfitFilesAreRefused)
{
    TempDir dir;
    ASSERT_EQ(fake({"preset", "save", dir.file("p.fxp")}).exitCode, 0);
    ASSERT_EQ(fake({"preset", "save", dir.file("b.fxb")}).exitCode, 0);
    const auto good = readBytes(dir.file("p.fxp"));

    auto foreign = good;
    foreign[19] = 'X';  // unique ID 'FkGX'
    writeBytes(dir.file("foreign.fxp"), foreign);
    auto truncated = good;
    truncated.pop_back();
    writeBytes(dir.file("truncated.fxp"), truncated);
    // A consistent file whose chunk is one byte short of the plug-in's programs.
    auto shortChunk = truncated;
    shortChunk[7] = static_cast<uint8_t>(shortChunk[7] - 1);
    shortChunk[59] = static_cast<uint8_t>(shortChunk[59] - 1);
    writeBytes(dir.file("short.fxp"), shortChunk);
    writeBytes(dir.file("header.fxp"), std::vector<uint8_t>(good.begin(), good.begin() + 20));
    writeBytes(dir.file("text.fxp"), std::vector<uint8_t>(100, 'a'));

    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"preset", "to-raw", dir.file("foreign.fxp"), "-o", dir.file("out.bin")}, "another plug-in"},
        {{"preset", "to-raw", dir.file("truncated.fxp"), "-o", dir.file("out.bin")}, "wrong size"},
        {{"preset", "to-raw", dir.file("short.fxp"), "-o", dir.file("out.bin")}, "wrong size"},
        {{"preset", "to-raw", dir.file("header.fxp"), "-o", dir.file("out.bin")}, "wrong size"},
        {{"preset", "to-raw", dir.file("text.fxp"), "-o", dir.file("out.bin")}, "not a VST preset"},
        {{"preset", "list", dir.file("p.fxp")}, "where a bank"},
        {{"preset", "from-raw", dir.file("truncated.fxp"), "-o", dir.file("out.fxp")}, "wrong size"},
        {{"render", "-o", dir.file("out.wav"), "--preset", dir.file("foreign.fxp")}, "another plug-in"},
        {{"render", "-o", dir.file("out.wav"), "--preset", dir.file("b.fxb")}, "where a program"},
        {{"render", "-o", dir.file("out.wav"), "--bank", dir.file("short.fxp")}, "where a bank"},
        {{"preset", "extract", dir.file("b.fxb"), "--program", "3", "-o", dir.file("out.fxp")}, "--program must be 0..2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.args[2]);
        const ToolResult r = fake(c.args);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    for (const std::string& entry : dir.entries())
        EXPECT_EQ(entry.rfind("out", 0), std::string::npos) << entry;
}

TEST(ToolPreset, RealPluginFilesHaveTheStandardSizes)
{
    testhost::LoadOptions load;
    load.pluginPath = realPluginPath();
    auto plugin = testhost::PluginInstance::load(load);
    ASSERT_NE(plugin, nullptr);
    if (plugin->getChunk(true).empty())
        GTEST_SKIP() << "the plug-in does not hand out chunks yet";
    TempDir dir;
    auto real = [](std::vector<std::string> args) {
        args.push_back("--plugin");
        args.push_back(realPluginPath());
        return runTool(args);
    };
    ASSERT_EQ(real({"preset", "save", dir.file("p.fxp"), "--program", "4"}).exitCode, 0);
    ASSERT_EQ(real({"preset", "save", dir.file("b.fxb")}).exitCode, 0);
    EXPECT_EQ(readBytes(dir.file("p.fxp")).size(), 7856u);
    EXPECT_EQ(readBytes(dir.file("b.fxb")).size(), 249632u);
    EXPECT_EQ(bigEndianAt(readBytes(dir.file("p.fxp")), 16), ('T' << 24) | ('V' << 16) | ('R' << 8) | 'C');
    for (const char* name : {"p.fxp", "b.fxb"}) {
        SCOPED_TRACE(name);
        const std::string copy = dir.file(std::string("copy.") + (name[0] == 'p' ? "fxp" : "fxb"));
        ASSERT_EQ(real({"preset", "to-raw", dir.file(name), "-o", dir.file("raw.bin")}).exitCode, 0);
        ASSERT_EQ(real({"preset", "from-raw", dir.file("raw.bin"), "-o", copy}).exitCode, 0);
        EXPECT_EQ(readBytes(copy), readBytes(dir.file(name)));
    }
}
