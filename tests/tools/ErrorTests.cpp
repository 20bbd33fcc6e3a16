// Every bad input gives one line on standard error, a non-zero exit and no
// output file (not even a half-written or temporary one).
#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>

using namespace clitest;

namespace {

std::vector<uint8_t> midiFile(uint8_t format, const std::vector<std::vector<uint8_t>>& tracks)
{
    std::vector<uint8_t> file = midiChunk("MThd", {0, format, 0, static_cast<uint8_t>(tracks.size()), 0x01, 0xE0});
    for (const auto& track : tracks) {
        const auto bytes = midiChunk("MTrk", track);
        file.insert(file.end(), bytes.begin(), bytes.end());
    }
    return file;
}

// MIDI files that libsmf would play in part (or abort on): cut short, a track
// without its end, a data byte with no status to run on, an unplayable format.
void writeMidiFiles(const TempDir& files)
{
    const std::vector<uint8_t> endOfTrack = {0x00, 0xFF, 0x2F, 0x00};
    std::vector<uint8_t> notes = {0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0};
    std::vector<uint8_t> track = notes;
    track.insert(track.end(), endOfTrack.begin(), endOfTrack.end());
    const std::vector<uint8_t> whole = midiFile(1, {track, track});
    writeBytes(files.file("half.mid"), std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2)));
    writeBytes(files.file("cut.mid"), std::vector<uint8_t>(whole.begin(), whole.end() - 1));
    writeBytes(files.file("no-end.mid"), midiFile(0, {notes}));
    std::vector<uint8_t> stray = {0x00, 0x40, 0x40};
    stray.insert(stray.end(), track.begin(), track.end());
    writeBytes(files.file("stray-data.mid"), midiFile(0, {stray}));
    writeBytes(files.file("format2.mid"), midiFile(2, {track}));
}

}  // namespace

TEST(ToolErrors, BadInputsGiveOneLineANonZeroExitAndNoOutput)
{
    TempDir files;
    tovarine::cli::StereoBuffer shortInput{44100, std::vector<float>(100, 0.1f), std::vector<float>(100, 0.1f)};
    writeFloatWav(files.file("in.wav"), shortInput);
    writeBytes(files.file("text.wav"), std::vector<uint8_t>(300, 'x'));
    writeBytes(files.file("text.mid"), std::vector<uint8_t>(300, 'x'));
    {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 3;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* three = sf_open(files.file("three.wav").c_str(), SFM_WRITE, &info);
        ASSERT_NE(three, nullptr);
        const short frame[3] = {1, 2, 3};
        sf_writef_short(three, frame, 1);
        sf_close(three);
    }
    writeMidiFiles(files);
    const std::string in = files.file("in.wav");
    const std::string fake = fakePluginPath();

    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    // OUT is replaced by the output path, OUT/ by the output folder; every case would otherwise write there.
    const std::vector<Case> cases = {
        {{"render", files.file("missing.wav"), "-o", "OUT", "--plugin", fake}, 1},
        {{"render", files.path(), "-o", "OUT", "--plugin", fake}, 1},
        {{"render", files.file("text.wav"), "-o", "OUT", "--plugin", fake}, 1},
        {{"render", files.file("three.wav"), "-o", "OUT", "--plugin", fake}, 1},
        {{"render", in, "-o", "OUT", "--plugin", files.file("missing.so")}, 1},
        {{"render", in, "-o", "OUT", "--plugin", files.file("in.wav")}, 1},
        {{"render", in, "-o", "OUT", "--plugin", refusingPluginPath()}, 1},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--midi", files.file("missing.mid")}, 1},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--midi", files.file("text.mid")}, 1},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--midi", files.file("half.mid")}, 1},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--midi", files.file("cut.mid")}, 1},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--midi", files.file("no-end.mid")}, 1},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--midi", files.file("stray-data.mid")}, 1},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--midi", files.file("format2.mid")}, 1},
        {{"render", in, "-o", "OUT/missing/out.wav", "--plugin", fake}, 1},
        {{"render", in, "-o", "OUT/", "--plugin", fake}, 1},
        {{"render", in, "-o", in + "/out.wav", "--plugin", fake}, 1},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--plot", "OUT/missing/p.png"}, 1},
        {{"render", in, "-o", "OUT/out.opus", "--plugin", fake}, 2},
        {{"render", in, "-o", "OUT/out.mp3", "--plugin", fake, "--bits", "16"}, 2},
        {{"plot", in, "-o", "OUT/missing/p.png"}, 1},
        {{"preset", "save", "OUT/missing/p.fxp", "--plugin", fake}, 1},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--preset", files.file("missing.fxp")}, 1},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--frobnicate"}, 2},
        {{"render", in, "extra.wav", "-o", "OUT", "--plugin", fake}, 2},
        {{"render", in, "--plugin", fake}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--block", "0"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--block", "12x"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--tail", "-1"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--tail", "nan"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--bits", "12"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--format", "mp3"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--format", "flac", "--bits", "32"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--note", "1:60:100:0"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--note", "17:60:100:0:1"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--note", "1:60:0:0:1"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--note", "1:60:100:0:0"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--param", "2=0.5"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--param", "0=1.5"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--param", "0"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--program", "3"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--program", "-1"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--tempo", "0"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--time-sig", "3/5"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--time-sig", "4"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--tail", "1", "--tail", "2"}, 2},
        {{"render", in, "-o", "OUT", "--plugin", fake, "--accumulate=yes"}, 2},
        {{"plot", files.file("missing.wav"), "-o", "OUT/p.png"}, 1},
        {{"plot", in, "-o", "OUT/p.png", "--width", "10"}, 2},
        {{"preset", "save", "OUT", "--plugin", fake}, 2},
        {{"preset", "frobnicate", "--plugin", fake}, 2},
        {{"frobnicate"}, 2},
    };
    for (const Case& c : cases) {
        TempDir out;
        std::vector<std::string> args = c.args;
        for (std::string& arg : args)
            arg = arg == "OUT" ? out.file("out.wav") : arg.rfind("OUT/", 0) == 0 ? out.path() + arg.substr(3) : arg;
        std::string shown;
        for (const std::string& a : c.args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        const ToolResult r = runTool(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.err.rfind("tovarine: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(out.entries().empty());
    }
}
