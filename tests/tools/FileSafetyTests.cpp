// Commands that would lose a file, or that are wrong before any work, are
// refused with one line before anything is written; the inputs stay as they were.
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

using namespace clitest;

TEST(ToolFileSafety, RefusedBeforeWriting)
{
    TempDir dir;
    const std::string in = dir.file("in.wav"), fake = fakePluginPath();
    writeFloatWav(in, {44100, std::vector<float>(500, 0.25f), std::vector<float>(500, -0.25f)});
    writeBytes(dir.file("song.mid"), {'M', 'T', 'h', 'd'});
    writeBytes(dir.file("p.fxp"), {'C', 'c', 'n', 'K'});
    std::filesystem::create_symlink(in, dir.file("link.wav"));
    std::filesystem::create_hard_link(in, dir.file("hard.wav"));
    std::filesystem::create_directory(dir.file("sub"));
    const std::vector<std::string> before = dir.entries();
    const std::vector<uint8_t> inBytes = readBytes(in);

    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"render", in, "-o", in}, 2, "same file as INPUT"},
        {{"render", dir.file("link.wav"), "-o", in}, 2, "same file as INPUT"},
        {{"render", dir.file("hard.wav"), "-o", dir.file("link.wav")}, 2, "same file as INPUT"},
        {{"render", in, "-o", dir.file("sub/../in.wav")}, 2, "same file as INPUT"},
        {{"render", in, "-o", dir.file("p.png"), "--format", "wav", "--plot", dir.file("p.png")}, 2, "name the same file"},
        {{"render", in, "-o", dir.file("song.mid"), "--format", "WAV", "--midi", dir.file("song.mid")}, 2, "same file as --midi"},
        {{"render", in, "-o", dir.file("p.fxp"), "--format", "wav", "--preset", dir.file("p.fxp")}, 2, "same file as --preset"},
        {{"render", in, "-o", dir.file("new.tun"), "--format", "wav", "--tuning", dir.file("new.tun")}, 2, "same file as --tuning"},
        {{"render", in, "-o", dir.file("out.wav"), "--plot", dir.file("out.wav")}, 2, "give the file a .png name"},
        {{"render", in, "-o", dir.file("out.mp3")}, 2, ".aiff, .ogg, .oga)"},
        {{"render", in, "-o", ""}, 2, "names no file"},
        {{"render", in, "-o", dir.file("out.wav"), "--plot", ""}, 2, "needs a file name"},
        {{"render", in, "-o", dir.file("out.wav"), "--tuning", TOVARINE_TESTDATA_DIR "/SOURCES.md"}, 2, "not a tuning file"},
        // A long render through the stand-in would take seconds; the refusal comes first.
        {{"render", in, "-o", "/proc/x.wav", "--plugin", fake, "--tail", "600"}, 1, "cannot write /proc/x.wav: "},
        {{"plot", in, "-o", in}, 2, "give the file a .png name"},
        {{"plot", in, "-o", dir.file("in.PNG"), "--format", "png"}, 2, "unknown option --format"},
        {{"plot", in, "-o", dir.file("x.jpg")}, 2, "give the file a .png name"},
        {{"plot", dir.file("missing.wav"), "-o", dir.file("x.png"), "--width", "199"}, 2, "200..8000 pixels"},
        {{"plot", in, "-o", ""}, 2, "needs a file name"},
        {{"preset", "to-raw", dir.file("p.fxp"), "-o", dir.file("p.fxp"), "--plugin", fake}, 2, "same file as INPUT"},
        {{"preset", "from-raw", dir.file("p.fxp"), "-o", dir.file("p.fxp"), "--plugin", fake}, 2, "same file as INPUT"},
        {{"preset", "save", dir.file("p.fxp"), "--preset", dir.file("p.fxp"), "--plugin", fake}, 2, "same file as --preset"},
        {{"preset", "extract", dir.file("p.fxp"), "--program", "0", "-o", dir.file("p.fxp"), "--plugin", fake}, 2, "same file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1] + " ... " + c.message);
        const ToolResult run = runTool(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(run.err.rfind("tovarine: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(dir.entries(), before);
        EXPECT_EQ(readBytes(in), inBytes);
    }
}

TEST(ToolFileSafety, FailuresOutsideTheCommandLineSayWhy)
{
    TempDir dir;
    const std::string in = dir.file("in.wav");
    writeFloatWav(in, {44100, std::vector<float>(500, 0.25f), std::vector<float>(500, -0.25f)});
    const std::string noSpace = "cannot write to standard output: " + std::string(std::strerror(ENOSPC));
    for (const std::vector<std::string>& args : {std::vector<std::string>{"plot", in, "-o", "-"},
                                                 {"render", in, "-o", "-", "--plugin", fakePluginPath(), "--quiet"}}) {
        const ToolResult full = runTool(args, {"/dev/full", "", ""});
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_NE(full.err.find(noSpace), std::string::npos) << full.err;
    }
    // A tool with no plug-in beside it names every place it looked.
    std::filesystem::copy_file(TOVARINE_TOOL_PATH, dir.file("tovarine"));
    std::filesystem::permissions(dir.file("tovarine"), std::filesystem::perms::owner_all);
    const ToolResult lost = runTool({"info"}, {"", dir.file("tovarine"), dir.path()});
    EXPECT_EQ(lost.exitCode, 1);
    for (const std::string& place : {dir.file("Tovarine.so"), dir.file("../lib/vst/Tovarine.so"), dir.file(".vst/Tovarine.so")})
        EXPECT_NE(lost.err.find(place), std::string::npos) << place << "\n" << lost.err;
    EXPECT_TRUE(std::filesystem::exists(in));
}
