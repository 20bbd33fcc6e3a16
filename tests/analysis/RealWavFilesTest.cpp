// Recordings made by other programs. Header values and the sample of frame
// 1000 were read with Python's wave module; every other sample is checked
// against libsndfile where it is installed.
#include "analysis/WavReader.h"

#include <gtest/gtest.h>

#include <string>

TEST(RealWavFiles, HeadersAndSamples)
{
    const struct {
        const char* name;
        unsigned channels, bits, sampleRate;
        long frames, dataOffset;  // dataOffset -1: not checked
        int first, second;        // integer samples of frame 1000
    } files[] = {
        {"452845__loudernoises__clean-g-chord.wav", 1, 16, 44100, 407925, 36, 601, 601},
        {"juce_cello.wav", 1, 16, 22050, 22846, 648, 1130, 1130},
        {"juce_guitar_amp.wav", 1, 16, 44100, 45101, 36, 58, 58},
        {"juce_reverb_ir.wav", 2, 24, 44100, 108060, -1, -1016712, -2152023},
        {"rakarrack_1_jcm200.wav", 1, 16, 44100, 21724, 108, -668, -668},
        {"rakarrack_2_superchamp.wav", 1, 16, 44100, 13680, 110, 17, 17},
        {"webaudio_bells.wav", 2, 16, 44100, 109133, 4088, -4969, -4852},
        {"webaudio_kitchen-true-stereo.wav", 4, 16, 44100, 63297, -1, 237, 1281},
        {"webaudio_slit-drum-hi.wav", 2, 16, 44100, 19875, -1, 1496, -3525},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        WavReader reader;
        reader.open((std::string(TOVARINE_TESTDATA_DIR) + "/wav/" + f.name).c_str());
        ASSERT_TRUE(reader.valid);
        EXPECT_EQ(reader.fmtOffset, 12);
        EXPECT_TRUE(f.dataOffset < 0 || reader.dataOffset == f.dataOffset) << reader.dataOffset;
        EXPECT_EQ(reader.channels, f.channels);
        EXPECT_EQ(reader.bitsPerSample, f.bits);
        EXPECT_EQ(reader.fileSampleRate, f.sampleRate);
        EXPECT_EQ(reader.framesInFile(), f.frames);
        const float fullScale = f.bits == 24 ? 8388608.0f : 32768.0f;
        EXPECT_EQ(reader.readSample(1000, true), f.first / fullScale);
        EXPECT_EQ(reader.readSample(1000, false), f.second / fullScale);
    }
}
