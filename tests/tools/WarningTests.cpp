// Warnings on standard error, one line each, silenced by --quiet: samples an
// integer format clipped, and an automatic tail cut while the output still rings.
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace clitest;

TEST(ToolWarnings, ClippedSamplesAndACutTailAreReportedOnlyWhenTheyHappen)
{
    TempDir dir;
    // 1000 frames at +-0.8: the fake's program 2 doubles them to 1.6, 2000 samples past full scale.
    tovarine::cli::StereoBuffer input{44100, std::vector<float>(1000, 0.8f), std::vector<float>(1000, -0.8f)};
    writeFloatWav(dir.file("in.wav"), input);
    const std::string fake = fakePluginPath(), ringing = ringingPluginPath();
    const std::string clipped = "tovarine: warning: 2000 samples clipped at full scale";
    const std::string cutTail = "tovarine: warning: the output still rings at -8 dBFS where the automatic tail ends (30 s)";

    struct Case {
        std::vector<std::string> args;  // after "render in.wav -o OUTPUT"
        std::string output;
        std::string warning;  // empty: none
    };
    const std::vector<Case> cases = {
        {{"--plugin", fake, "--program", "2", "--bits", "16"}, "out.wav", clipped},
        {{"--plugin", fake, "--program", "2", "--bits", "24"}, "out.aiff", clipped},
        {{"--plugin", fake, "--program", "2"}, "out.flac", clipped},
        {{"--plugin", fake, "--program", "2", "--bits", "16", "--quiet"}, "out.wav", ""},
        {{"--plugin", fake, "--program", "2"}, "out.wav", ""},  // floating point keeps every sample
        {{"--plugin", fake, "--program", "0", "--bits", "16"}, "out.wav", ""},
        {{"--plugin", ringing, "--bits", "32"}, "out.wav", cutTail},
        {{"--plugin", ringing, "--bits", "32", "--quiet"}, "out.wav", ""},
        {{"--plugin", ringing, "--bits", "32", "--tail", "1"}, "out.wav", ""},  // a length the user chose
        {{"--plugin", fake, "--bits", "32"}, "out.wav", ""},                    // fell silent by itself
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"render", dir.file("in.wav"), "-o", dir.file(c.output)};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        const ToolResult r = runTool(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        if (std::find(args.begin(), args.end(), "--quiet") != args.end()) {
            EXPECT_TRUE(r.err.empty()) << r.err;
            continue;
        }
        // The summary line, then the warning if any.
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), c.warning.empty() ? 1 : 2) << r.err;
        if (!c.warning.empty()) {
            EXPECT_NE(r.err.find(c.warning), std::string::npos) << r.err;
        }
    }
}
