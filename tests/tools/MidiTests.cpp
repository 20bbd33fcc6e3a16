// MIDI reaches the plug-in at the right sample: from a Standard MIDI File
// (tempo map, several tracks, channels as written) and from --note options.
// The fake plug-in writes each event it receives into its right output.
#include "tests/tools/ToolRun.h"
#include "tools/MidiEvents.h"
#include "tools/MidiFileCheck.h"
#include "tools/ToolError.h"

#include <gtest/gtest.h>

#include <map>

using namespace clitest;
using tovarine::cli::StereoBuffer;

namespace {

float code(int status, int data1, int data2) { return static_cast<float>(status * 65536 + data1 * 256 + data2); }

// Format 1, 480 ticks per quarter. Track 0: 120 BPM, then 60 BPM from tick 960.
// Track 1: program change on channel 1 at 0 s, note 60 on channel 1 from 0.5 s
// to 1 s, note 40 on channel 2 from 2 s (tick 1440) to 3 s (tick 1920).
std::vector<uint8_t> twoTrackMidiFile()
{
    std::vector<uint8_t> file = midiChunk("MThd", {0, 1, 0, 2, 0x01, 0xE0});
    const std::vector<uint8_t> tempoTrack = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,   // 500,000 us per quarter
                                             0x87, 0x40, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,  // +960: 1,000,000 us
                                             0x00, 0xFF, 0x2F, 0x00};
    const std::vector<uint8_t> noteTrack = {0x00, 0xC0, 0x05,            // program 5
                                            0x83, 0x60, 0x90, 60, 100,   // +480
                                            0x83, 0x60, 0x80, 60, 64,    // +480
                                            0x83, 0x60, 0x91, 40, 90,    // +480
                                            0x83, 0x60, 0x81, 40, 0,     // +480
                                            0x00, 0xFF, 0x2F, 0x00};
    for (const auto& track : {tempoTrack, noteTrack}) {
        const auto bytes = midiChunk("MTrk", track);
        file.insert(file.end(), bytes.begin(), bytes.end());
    }
    return file;
}

// Frames where the right channel is not zero, with their values.
std::map<std::size_t, float> marks(const StereoBuffer& out)
{
    std::map<std::size_t, float> found;
    for (std::size_t i = 0; i < out.frames(); ++i)
        if (out.right[i] != 0.f)
            found[i] = out.right[i];
    return found;
}

StereoBuffer silence(std::size_t frames)
{
    StereoBuffer s;
    s.sampleRate = 44100;
    s.left.assign(frames, 0.f);
    s.right.assign(frames, 0.f);
    return s;
}

}  // namespace

TEST(ToolMidi, MidiFileEventsArriveAtTheirSampleWhateverTheBlockSize)
{
    TempDir dir;
    writeBytes(dir.file("song.mid"), twoTrackMidiFile());
    writeFloatWav(dir.file("in.wav"), silence(44100));
    const std::map<std::size_t, float> expected = {
        {0, code(0xC0, 5, 0)},           {22050, code(0x90, 60, 100)}, {44100, code(0x80, 60, 64)},
        {88200, code(0x91, 40, 90)},     {132300, code(0x81, 40, 0)},
    };
    for (int block : {100, 512, 4096}) {
        SCOPED_TRACE("block " + std::to_string(block));
        const ToolResult run = runTool({"render", dir.file("in.wav"), "-o", dir.file("out.wav"), "--plugin", fakePluginPath(), "--midi",
                                        dir.file("song.mid"), "--block", std::to_string(block), "--tail", "0", "--bits", "32", "--quiet"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const StereoBuffer out = tovarine::cli::readAudioFile(dir.file("out.wav"));
        EXPECT_EQ(out.frames(), 132301u);  // the render lasts until the last event
        EXPECT_EQ(marks(out), expected);
    }
}

TEST(ToolMidi, NoteOptionsPlayOnTheirChannelAndJoinTheFile)
{
    TempDir dir;
    writeBytes(dir.file("song.mid"), twoTrackMidiFile());
    writeFloatWav(dir.file("in.wav"), silence(4410));
    const ToolResult run = runTool({"render", dir.file("in.wav"), "-o", dir.file("out.wav"), "--plugin", fakePluginPath(), "--note",
                                    "16:127:1:0.25:0.5", "--note", "3:12:64:1.5:0.01", "--midi", dir.file("song.mid"), "--tail",
                                    "0", "--bits", "32", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto found = marks(tovarine::cli::readAudioFile(dir.file("out.wav")));
    EXPECT_EQ(found.at(11025), code(0x9F, 127, 1));
    EXPECT_EQ(found.at(33075), code(0x8F, 127, 0));
    EXPECT_EQ(found.at(66150), code(0x92, 12, 64));
    EXPECT_EQ(found.at(66591), code(0x82, 12, 0));
    EXPECT_EQ(found.at(22050), code(0x90, 60, 100));
    EXPECT_EQ(found.size(), 9u);
}

TEST(ToolMidi, NoteEndingWhereTheNextStartsIsReleasedFirst)
{
    TempDir dir;
    writeFloatWav(dir.file("in.wav"), silence(100));
    // Two notes of the same key back to back: at 0.5 s the release and the new
    // start fall on one frame; the release must come first or the key hangs.
    const ToolResult run = runTool({"render", dir.file("in.wav"), "-o", dir.file("out.wav"), "--plugin", fakePluginPath(), "--note",
                                    "1:60:100:0.5:0.5", "--note", "1:60:100:0:0.5", "--tail", "0", "--bits", "32", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const StereoBuffer out = tovarine::cli::readAudioFile(dir.file("out.wav"));
    EXPECT_EQ(out.right[22050], code(0x80, 60, 0) + code(0x90, 60, 100));
    EXPECT_EQ(out.left[22050], 0x80);  // the first event of that frame
}

TEST(ToolMidi, EveryCutOfAFileIsRefusedAndNoDamagedByteCrashesTheReader)
{
    const std::vector<uint8_t> file = twoTrackMidiFile();
    for (std::size_t length = 0; length < file.size(); ++length)
        EXPECT_THROW(tovarine::cli::checkStandardMidiFile({file.begin(), file.begin() + static_cast<long>(length)}, "song.mid"),
                     tovarine::cli::ToolError) << "cut at " << length;

    // Whatever one damaged byte does, the file is read or refused; libsmf never gets to abort.
    TempDir dir;
    const std::string path = dir.file("damaged.mid");
    for (std::size_t at = 0; at < file.size(); ++at) {
        for (uint8_t value : {0x00, 0x2F, 0x7F, 0x80, 0xF7, 0xFF}) {
            std::vector<uint8_t> damaged = file;
            damaged[at] = value;
            writeBytes(path, damaged);
            try {
                tovarine::cli::readMidiFile(path);
            } catch (const tovarine::cli::ToolError&) {
            }
        }
    }
}
