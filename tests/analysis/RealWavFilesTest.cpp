// Recordings made by other programs. The expected header values and samples
// were read with Python's wave module.
#include "analysis/WavReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Sample {
    int index;
    int first;   // integer sample value on the first channel
    int second;  // and on the second (same as first for mono)
};

struct RealFile {
    const char* name;
    unsigned channels;
    unsigned bits;
    unsigned sampleRate;
    long frames;
    long dataOffset;  // -1: not checked
    Sample samples[3];
};

const RealFile kFiles[] = {
    {"452845__loudernoises__clean-g-chord.wav", 1, 16, 44100, 407925, 36,
     {{1000, 601, 601}, {203962, -55, -55}, {407924, 1, 1}}},
    {"juce_cello.wav", 1, 16, 22050, 22846, 648, {{1000, 1130, 1130}, {11423, -242, -242}, {22845, -22, -22}}},
    {"juce_guitar_amp.wav", 1, 16, 44100, 45101, 36, {{0, 5503, 5503}, {1000, 58, 58}, {45100, -1, -1}}},
    {"juce_reverb_ir.wav", 2, 24, 44100, 108060, -1,
     {{1000, -1016712, -2152023}, {54030, -30364, -16817}, {108059, 0, 0}}},
    {"rakarrack_1_jcm200.wav", 1, 16, 44100, 21724, 108, {{0, -30, -30}, {1000, -668, -668}, {10862, -3, -3}}},
    {"rakarrack_2_superchamp.wav", 1, 16, 44100, 13680, 110, {{0, -6, -6}, {1000, 17, 17}, {6840, -5, -5}}},
    {"webaudio_bells.wav", 2, 16, 44100, 109133, 4088,
     {{0, -2, -203}, {1000, -4969, -4852}, {109132, 50, -79}}},
    {"webaudio_kitchen-true-stereo.wav", 4, 16, 44100, 63297, -1,
     {{0, -43, 203}, {1000, 237, 1281}, {31648, -2, 1}}},
    {"webaudio_slit-drum-hi.wav", 2, 16, 44100, 19875, -1, {{0, 39, 3}, {1000, 1496, -3525}, {9937, 119, 164}}},
};

} // namespace

TEST(RealWavFiles, HeadersAndSamples)
{
    for (const RealFile& f : kFiles) {
        SCOPED_TRACE(f.name);
        WavReader reader;
        reader.open((std::string(TOVARINE_TESTDATA_DIR) + "/wav/" + f.name).c_str());
        ASSERT_TRUE(reader.valid);
        EXPECT_EQ(reader.fmtOffset, 12);
        if (f.dataOffset >= 0) {
            EXPECT_EQ(reader.dataOffset, f.dataOffset);
        }
        EXPECT_EQ(reader.channels, f.channels);
        EXPECT_EQ(reader.stereo, f.channels == 2);
        EXPECT_EQ(reader.bitsPerSample, f.bits);
        EXPECT_EQ(reader.fileSampleRate, f.sampleRate);
        EXPECT_EQ(reader.framesInFile(), f.frames);

        const float fullScale = f.bits == 24 ? 8388608.0f : 32768.0f;
        for (const Sample& s : f.samples) {
            EXPECT_EQ(reader.readSample(s.index, true), s.first / fullScale) << "frame " << s.index;
            EXPECT_EQ(reader.readSample(s.index, false), s.second / fullScale) << "frame " << s.index;
        }
        EXPECT_EQ(reader.readSample(static_cast<int>(f.frames), true), 0.0f);
        reader.close();
        EXPECT_EQ(reader.file, nullptr);
    }
}
