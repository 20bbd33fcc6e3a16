// Every sample of every real file against libsndfile's decoding (which also
// scales integers by 1 / 2^(bits - 1), so the floats must match exactly).
#include "analysis/WavReader.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <vector>

TEST(RealWavFiles, EverySampleMatchesSndfile)
{
    int filesChecked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(TOVARINE_TESTDATA_DIR) + "/wav")) {
        if (entry.path().extension() != ".wav")
            continue;
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        SF_INFO info{};
        SNDFILE* sf = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(sf, nullptr) << sf_strerror(nullptr);
        std::vector<float> expected(static_cast<std::size_t>(info.frames * info.channels));
        ASSERT_EQ(sf_readf_float(sf, expected.data(), info.frames), info.frames);
        sf_close(sf);

        WavReader reader;
        reader.open(path.c_str());
        ASSERT_TRUE(reader.valid);
        ASSERT_EQ(reader.framesInFile(), info.frames);
        ASSERT_EQ(static_cast<int>(reader.channels), info.channels);
        ASSERT_EQ(static_cast<int>(reader.fileSampleRate), info.samplerate);

        const int second = info.channels > 1 ? 1 : 0;
        long mismatches = 0;
        for (int i = 0; i < info.frames; ++i) {
            const float* frame = &expected[static_cast<std::size_t>(i) * info.channels];
            if (reader.readSample(i, true) != frame[0] || reader.readSample(i, false) != frame[second])
                if (mismatches++ == 0)
                    ADD_FAILURE() << "first mismatch at frame " << i;
        }
        EXPECT_EQ(mismatches, 0);
        ++filesChecked;
    }
    EXPECT_GE(filesChecked, 9);
}
