// Renders through the tool must equal renders of the same input done block by
// block by an independent dlopen host: the tool adds nothing of its own.
#include "tests/testhost/TestHost.h"
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>

using namespace clitest;
using tovarine::cli::StereoBuffer;

namespace {

struct DirectRender {
    int program = -1;
    std::vector<std::pair<int, float>> params;
    int block = 512;
    std::size_t tailFrames = 0;
    bool accumulate = false;
};

// The reference: the test host's own loop over the same input, zero-padded by the tail.
StereoBuffer renderDirectly(const std::string& plugin, const StereoBuffer& input, const DirectRender& how)
{
    testhost::LoadOptions load;
    load.pluginPath = plugin;
    auto instance = testhost::PluginInstance::load(load);
    EXPECT_NE(instance, nullptr);
    instance->prepare(static_cast<float>(input.sampleRate), how.block);
    if (how.program >= 0)
        instance->dispatch(effSetProgram, 0, how.program);
    for (const auto& [index, value] : how.params)
        instance->setParameter(index, value);
    const std::size_t total = input.frames() + how.tailFrames;
    std::vector<float> inL(input.left), inR(input.right);
    inL.resize(total, 0.f);
    inR.resize(total, 0.f);
    StereoBuffer out;
    out.sampleRate = input.sampleRate;
    out.left.assign(total, 0.f);
    out.right.assign(total, 0.f);
    for (std::size_t pos = 0; pos < total; pos += static_cast<std::size_t>(how.block)) {
        const auto n = static_cast<int32_t>(std::min<std::size_t>(static_cast<std::size_t>(how.block), total - pos));
        instance->processBlock(inL.data() + pos, inR.data() + pos, out.left.data() + pos, out.right.data() + pos, n, how.accumulate);
    }
    return out;
}

void expectSameAudio(const StereoBuffer& expected, const StereoBuffer& actual)
{
    ASSERT_EQ(expected.frames(), actual.frames());
    EXPECT_EQ(expected.sampleRate, actual.sampleRate);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < expected.frames(); ++i)
        differing += (expected.left[i] != actual.left[i]) + (expected.right[i] != actual.right[i]);
    EXPECT_EQ(differing, 0u);
}

}  // namespace

TEST(ToolRender, FakePluginRenderEqualsDirectHostAtEveryBlockSize)
{
    TempDir dir;
    const std::string input = testWav("webaudio_bells.wav");
    const StereoBuffer source = tovarine::cli::readAudioFile(input);
    for (int block : {1, 64, 511, 512, 4096}) {
        for (bool accumulate : {false, true}) {
            SCOPED_TRACE("block " + std::to_string(block) + (accumulate ? " accumulating" : ""));
            std::vector<std::string> args = {"render", input, "-o", dir.file("out.wav"), "--plugin", fakePluginPath(),
                                             "--program", "2", "--param", "0=0.75", "--block", std::to_string(block),
                                             "--tail", "0.1", "--bits", "32", "--quiet"};
            if (accumulate)
                args.push_back("--accumulate");
            const ToolResult run = runTool(args);
            ASSERT_EQ(run.exitCode, 0) << run.err;
            DirectRender how{2, {{0, 0.75f}}, block, 4410, accumulate};
            const StereoBuffer expected = renderDirectly(fakePluginPath(), source, how);
            expectSameAudio(expected, tovarine::cli::readAudioFile(dir.file("out.wav")));
            // Sanity: the fake really applied its gain of 2 x 0.75.
            EXPECT_FLOAT_EQ(expected.left[1000], 1.5f * source.left[1000]);
        }
    }
}

TEST(ToolRender, RealPluginRenderEqualsDirectHost)
{
    TempDir dir;
    const std::string input = testWav("webaudio_slit-drum-hi.wav");
    const StereoBuffer source = tovarine::cli::readAudioFile(input);
    for (int block : {16, 512, 1000}) {
        SCOPED_TRACE("block " + std::to_string(block));
        const ToolResult run = runTool({"render", input, "-o", dir.file("out.wav"), "--plugin", realPluginPath(), "--program", "3",
                                        "--param", "4=0.7", "--block", std::to_string(block), "--tail", "0.5", "--bits", "32", "--quiet"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto tail = static_cast<std::size_t>(std::llround(0.5 * source.sampleRate));
        expectSameAudio(renderDirectly(realPluginPath(), source, {3, {{4, 0.7f}}, block, tail, false}),
                        tovarine::cli::readAudioFile(dir.file("out.wav")));
    }
}

TEST(ToolRender, MonoInputFeedsBothInputsAndFlacOutputHoldsTheRender)
{
    TempDir dir;
    std::vector<float> mono;
    for (int i = 0; i < 4800; ++i)
        mono.push_back(0.25f * static_cast<float>(std::sin(i * 0.05)));
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(dir.file("mono.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_writef_float(file, mono.data(), static_cast<sf_count_t>(mono.size()));
    sf_close(file);

    ToolResult run = runTool({"render", dir.file("mono.wav"), "-o", dir.file("out.wav"), "--plugin", fakePluginPath(), "--bits", "32",
                              "--tail", "0", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const StereoBuffer wav = tovarine::cli::readAudioFile(dir.file("out.wav"));
    EXPECT_EQ(wav.sampleRate, 48000);
    EXPECT_EQ(wav.left, mono);
    EXPECT_EQ(wav.right, mono);

    run = runTool({"render", dir.file("mono.wav"), "-o", dir.file("out.flac"), "--plugin", fakePluginPath(), "--tail", "0", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const StereoBuffer flac = tovarine::cli::readAudioFile(dir.file("out.flac"));
    ASSERT_EQ(flac.frames(), mono.size());
    for (std::size_t i = 0; i < flac.frames(); ++i)
        ASSERT_NEAR(flac.right[i], mono[i], 1.0 / (1 << 22));  // 24 bits by default
}

TEST(ToolRender, AutomaticTailStopsWhereTheOutputFallsSilentAndFixedTailIsExact)
{
    TempDir dir;
    StereoBuffer input;
    input.sampleRate = 44100;
    input.left.assign(1000, 0.5f);
    input.right.assign(1000, -0.5f);
    writeFloatWav(dir.file("in.wav"), input);
    // The fake has no tail of its own: the output ends with the input.
    ToolResult run = runTool({"render", dir.file("in.wav"), "-o", dir.file("auto.wav"), "--plugin", fakePluginPath(), "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(tovarine::cli::readAudioFile(dir.file("auto.wav")).frames(), 1000u);
    run = runTool({"render", dir.file("in.wav"), "-o", dir.file("fixed.wav"), "--plugin", fakePluginPath(), "--tail", "1.5", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(tovarine::cli::readAudioFile(dir.file("fixed.wav")).frames(), 1000u + 66150u);
}

TEST(ToolRender, AutomaticTailOfARingingPluginEndsWhereItFallsBelowMinus90Db)
{
    TempDir dir;
    ToolResult run = runTool({"render", "-o", dir.file("auto.wav"), "--plugin", realPluginPath(), "--bits", "32", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = runTool({"render", "-o", dir.file("long.wav"), "--plugin", realPluginPath(), "--bits", "32", "--tail", "30", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const StereoBuffer cut = tovarine::cli::readAudioFile(dir.file("auto.wav"));
    const StereoBuffer full = tovarine::cli::readAudioFile(dir.file("long.wav"));
    const std::size_t demoFrames = 4 * 44100;
    if (cut.frames() <= demoFrames)
        GTEST_SKIP() << "the plug-in does not ring yet";
    ASSERT_LT(cut.frames(), full.frames());
    const float threshold = std::pow(10.f, -90.f / 20.f);
    std::size_t firstDifference = cut.frames();
    for (std::size_t i = 0; i < cut.frames() && firstDifference == cut.frames(); ++i)
        if (cut.left[i] != full.left[i] || cut.right[i] != full.right[i])
            firstDifference = i;
    EXPECT_EQ(firstDifference, cut.frames());
    const std::size_t end = cut.frames();
    EXPECT_GE(std::max(std::fabs(full.left[end - 1]), std::fabs(full.right[end - 1])), threshold);
    for (std::size_t i = end; i < end + 44100 / 4; ++i)
        ASSERT_LT(std::max(std::fabs(full.left[i]), std::fabs(full.right[i])), threshold) << "frame " << i;
}

TEST(ToolRender, DemoPlaysItsPatternAndNotesAndDrawsAPicture)
{
    TempDir dir;
    const ToolResult run = runTool({"render", "-o", dir.file("demo.wav"), "--plugin", fakePluginPath(), "--plot", dir.file("demo.png"),
                                    "--bits", "32", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const StereoBuffer out = tovarine::cli::readAudioFile(dir.file("demo.wav"));
    ASSERT_GE(out.frames(), 4u * 44100u);
    // The fake passes the excitation at unity gain (left) and marks notes (right):
    // channel 1 note 48 velocity 100 at 0 s, channel 2 note 36 at 0.5 s.
    float peak = 0.f;
    for (float s : out.left)
        peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 0.1f);
    EXPECT_GT(out.right[0], static_cast<float>(0x90 * 65536 + 48 * 256 + 100) - 1.f);
    EXPECT_GT(out.right[22050], static_cast<float>(0x91 * 65536 + 36 * 256 + 100) - 1.f);
    const std::vector<uint8_t> png = readBytes(dir.file("demo.png"));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
}

TEST(ToolRender, HostReportsTempoTimeSignatureAndPosition)
{
    TempDir dir;
    StereoBuffer silence;
    silence.sampleRate = 44100;
    silence.left.assign(1024, 0.f);
    silence.right.assign(1024, 0.f);
    writeFloatWav(dir.file("in.wav"), silence);
    const ToolResult run = runTool({"render", dir.file("in.wav"), "-o", dir.file("out.wav"), "--plugin", fakePluginPath(), "--param",
                                    "1=1", "--tempo", "93.5", "--time-sig", "7/8", "--block", "256", "--tail", "0", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const StereoBuffer out = tovarine::cli::readAudioFile(dir.file("out.wav"));
    for (std::size_t block = 0; block < 4; ++block) {
        EXPECT_FLOAT_EQ(out.left[block * 256 + 0], 93.5f);
        EXPECT_FLOAT_EQ(out.left[block * 256 + 1], 7.f);
        EXPECT_FLOAT_EQ(out.left[block * 256 + 2], 8.f);
        EXPECT_FLOAT_EQ(out.left[block * 256 + 3], static_cast<float>(block * 256));
    }
}

TEST(ToolInfo, ShowsWhatAHostSees)
{
    const ToolResult fake = runTool({"info", "--plugin", fakePluginPath()});
    ASSERT_EQ(fake.exitCode, 0) << fake.err;
    for (const char* expected : {"Fake Gain", "Test Bench", "'FkGn'", "replacing, chunks", "Double", "Probe", "1.000"})
        EXPECT_NE(fake.out.find(expected), std::string::npos) << expected << "\n" << fake.out;

    const ToolResult real = runTool({"info", "--plugin", realPluginPath()});
    ASSERT_EQ(real.exitCode, 0) << real.err;
    EXPECT_NE(real.out.find("'TVRC'"), std::string::npos);
    EXPECT_NE(real.out.find("programs (32)"), std::string::npos);
    EXPECT_NE(real.out.find("parameters (43)"), std::string::npos);
}
