// What the tool writes and prints is true and repeatable: the same command
// gives the same bytes, tuning errors all read alike, info shows the pitches
// resonators can play, and plot labels never run together.
#include "tests/tools/ToolRun.h"
#include "tools/RenderPlot.h"
#include "TovarineVersion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <sstream>

using namespace clitest;

TEST(ToolOutput, TheSameCommandWritesTheSameBytesToAFileOrStandardOutput)
{
    TempDir dir;
    for (const char* format : {"wav", "flac", "aiff", "ogg"}) {
        SCOPED_TRACE(format);
        std::string upper = format;  // --format is as case-blind as file names
        for (char& c : upper)
            c = static_cast<char>(std::toupper(c));
        const std::vector<std::string> args = {"render", "--plugin", fakePluginPath(), "--quiet", "--tail", "0.3", "--format"};
        std::vector<std::uint8_t> first;
        for (const std::string& output : {dir.file("a"), dir.file("b"), std::string("-")}) {
            std::vector<std::string> run = args;
            run.insert(run.end(), {output == "-" ? upper : format, "-o", output});
            const ToolResult result = runTool(run);
            ASSERT_EQ(result.exitCode, 0) << result.err;
            const std::vector<std::uint8_t> bytes = output == "-" ? std::vector<std::uint8_t>(result.out.begin(), result.out.end())
                                                                  : readBytes(output);
            ASSERT_GT(bytes.size(), 1000u);
            // A peak chunk carries the time of writing (seconds: two quick runs could still agree).
            const std::string peak = "PEAK";
            EXPECT_EQ(std::search(bytes.begin(), bytes.end(), peak.begin(), peak.end()), bytes.end());
            if (first.empty())
                first = bytes;
            EXPECT_TRUE(bytes == first) << output;
        }
    }
}

TEST(ToolOutput, EveryTuningErrorNamesTheFileThenTheLine)
{
    TempDir dir;
    writeBytes(dir.file("no-equals.tun"), {'[', 't', 'u', 'n', 'i', 'n', 'g', ']', '\n', 'n', 'o', 't', 'e', '\n'});
    writeBytes(dir.file("empty.TUN"), {';', '\n'});
    writeBytes(dir.file("long.tun"), std::vector<std::uint8_t>(600, 'x'));
    writeBytes(dir.file("empty.scl"), {});
    std::vector<std::string> files = {dir.file("no-equals.tun"), dir.file("empty.TUN"), dir.file("long.tun"), dir.file("empty.scl"),
                                      dir.file("missing.kbm")};
    for (const auto& entry : std::filesystem::directory_iterator(TOVARINE_TESTDATA_DIR "/scala/bad"))
        files.push_back(entry.path().string());
    // "tovarine: NAME.EXT: [line N: ]what", one line, the file named without its folder.
    const auto oneLine = [](const std::string& err) {
        const std::size_t name = err.find(": ") + 2, colon = err.find(": ", name);
        const std::string file = err.substr(name, colon - name);
        const std::string ext = file.substr(file.rfind('.') + 1);
        return err.starts_with("tovarine: ") && colon != std::string::npos && file.find('/') == std::string::npos
               && (ext == "tun" || ext == "TUN" || ext == "scl" || ext == "kbm") && err.size() > colon + 2
               && err.find('\n') == err.size() - 1;
    };
    for (const std::string& file : files) {
        const ToolResult run = runTool({"info", "--plugin", realPluginPath(), "--tuning", file});
        EXPECT_EQ(run.exitCode, 1) << file;
        EXPECT_TRUE(oneLine(run.err)) << run.err;
    }
}

TEST(ToolOutput, InfoShowsThePitchesResonatorsPlayAndWhatEachVersionIs)
{
    const ToolResult run = runTool({"info", "--plugin", realPluginPath(), "--tuning", TOVARINE_TESTDATA_DIR "/scala/12-intune.scl",
                                    "--tuning", TOVARINE_TESTDATA_DIR "/scala/mapping-n60-fifths.kbm"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::istringstream lines(run.out.substr(run.out.find("\nresonators")));
    std::string line;
    int resonators = 0, held = 0;
    while (std::getline(lines, line)) {
        int index = 0, note = 0;
        double hz = 0;
        if (std::sscanf(line.c_str(), " %d note %d %lf", &index, &note, &hz) != 3)
            continue;
        ++resonators;
        held += line.find("held at") != std::string::npos;
        EXPECT_GE(hz, 44100.0 / 16383 - 1e-3) << line;
        EXPECT_LE(hz, 44100.0 / 4 + 1e-3) << line;
        if (note == 12 || note == 99) {
            EXPECT_NE(line.find(note == 12 ? "held at the longest loop" : "held at the shortest loop"), std::string::npos) << line;
        }
    }
    EXPECT_EQ(resonators, 88);
    EXPECT_GT(held, 10);
    for (const std::string& expected : {std::string("tovarine:        ") + TOVARINE_VERSION, std::string("plug-in version: 1 (AEffect.version)"),
                                       "vendor version:  " + std::to_string(TOVARINE_VERSION_MAJOR) + " (what effGetVendorVersion answers"})
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected;
    EXPECT_EQ(runTool({"--version"}).out, std::string("tovarine ") + TOVARINE_VERSION + "\n");
}

TEST(ToolOutput, TimeLabelsKeepApartAtEveryDurationAndWidth)
{
    const struct {
        double seconds, axisPixels, labelPixels, step;
    } cases[] = {
        {700, 1116, 50, 50}, {700, 116, 50, 500}, {4.5, 116, 40, 2}, {4.5, 1116, 40, 0.2}, {0.01, 1116, 50, 0.001}, {3600, 7916, 60, 50},
    };
    for (const auto& c : cases) {
        const double step = tovarine::cli::timeLabelStep(c.seconds, c.axisPixels, c.labelPixels);
        EXPECT_DOUBLE_EQ(step, c.step) << c.seconds << " s on " << c.axisPixels << " px";
        EXPECT_GE(c.axisPixels * step / c.seconds + 1e-9, c.labelPixels);
    }
}
