// --tuning on the real plug-in: the files are applied as a program's stored
// tuning, and bad files or combinations are errors before anything renders.
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace clitest {
namespace {

const std::string kScala = TOVARINE_TESTDATA_DIR "/scala/";

// The frequency info prints for a note, or -1.
double printedHz(const std::string& out, int note)
{
    char key[16];
    std::snprintf(key, sizeof(key), "note %3d ", note);
    const std::size_t at = out.find(key);
    double hz = -1;
    if (at != std::string::npos)
        std::sscanf(out.c_str() + at + std::string(key).size(), "%lf", &hz);
    return hz;
}

TEST(ToolTuning, InfoPrintsTheResonatorsOfAScaleAndMapping)
{
    const ToolResult run = runTool({"info", "--plugin", realPluginPath(), "--tuning", kScala + "ED3-17.scl", "--tuning",
                                    kScala + "mapping-note53-to-430-408.kbm"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // Key 53 is the reference; key 60, degree 0, lies 7 of 17 equal steps of 3/1 above it.
    EXPECT_NEAR(printedHz(run.out, 53), 430.408, 1e-3);
    EXPECT_NEAR(printedHz(run.out, 60), 430.408 * std::pow(3.0, 7.0 / 17.0), 1e-3);
}

TEST(ToolTuning, BadFilesAndCombinationsAreErrorsBeforeAnyWork)
{
    TempDir dir;
    const struct {
        std::vector<std::string> tuning;
        int exitCode;
        const char* message;
    } cases[] = {
        {{kScala + "bad/badnote.scl"}, 1, "badnote.scl: line 12: expected a pitch"},
        {{kScala + "12-intune.scl", kScala + "bad/garbage-key.kbm"}, 1, "garbage-key.kbm: line 26:"},
        {{TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v1.tun", kScala + "piano.kbm"}, 2, "a .tun map goes alone"},
        {{kScala + "12-intune.scl", kScala + "31edo.scl"}, 2, "at most one .kbm"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"render", "-o", dir.file("out.wav"), "--plugin", realPluginPath(), "--quiet"};
        for (const std::string& file : c.tuning)
            args.insert(args.end(), {"--tuning", file});
        const ToolResult run = runTool(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(dir.entries().empty());
    }
    const ToolResult other = runTool({"info", "--plugin", fakePluginPath(), "--tuning", kScala + "12-intune.scl"});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_NE(other.err.find("Tovarine 88 Resonator only"), std::string::npos) << other.err;
}

}  // namespace
}  // namespace clitest
