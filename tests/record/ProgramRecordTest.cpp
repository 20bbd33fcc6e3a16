// The stored program is a file format: its defaults and its text handling.
#include "programs/ProgramRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

TEST(ProgramRecord, DefaultRecord)
{
    auto record = std::make_unique<ProgramRecord>();
    EXPECT_STREQ(record->name, "Init");
    EXPECT_STREQ(record->tuningMapPath, "");
    EXPECT_STREQ(record->version, "1.2");
    EXPECT_FLOAT_EQ(record->fParams[4], 0.95f);
    EXPECT_FLOAT_EQ(record->fParams[10], 0.059207f);
    EXPECT_FLOAT_EQ(record->fParams[42], 1.2f);
    EXPECT_EQ(record->fParams[13], 0.f);  // unset words are zero, so saved banks are deterministic

    for (int i = 0; i < kNumCombs; ++i) {
        const CombSettings& c = record->combSettings[i];
        EXPECT_EQ(c.Out, (i >= 21 && i <= 49) ? 1.f : 0.f) << i;
        // Resonator i plays note i + 12 of the standard tuning: 4 * 1024^pitch Hz and 44100 / f samples.
        const double freq = 440.0 * std::pow(2.0, (i + 12 - 69) / 12.0);
        EXPECT_NEAR(4.0 * std::pow(1024.0, c.normalPitch), freq, freq * 1e-6) << i;
        EXPECT_NEAR(c.Delay, 44100.0 / freq, 44100.0 / freq * 1e-6) << i;
        EXPECT_FLOAT_EQ(c.LFOfreq, static_cast<float>(0.15 + 0.002 * i));
        EXPECT_EQ(c.Decay, 0.96f);
        EXPECT_EQ(c.Bright, 0.85f);
        EXPECT_EQ(c.envAttackSamples, 0);
    }
    // Resonator 87's last word sits right before the name.
    const auto* bytes = reinterpret_cast<const unsigned char*>(record.get());
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&record->combSettings[87].Velocity) - bytes, 7560);
}

TEST(ProgramRecord, TextsAreAlwaysTerminatedWithinTheirField)
{
    char field[8];
    std::memset(field, 'x', sizeof(field));
    copyText(field, sizeof(field), "a name far too long for the field");
    EXPECT_STREQ(field, "a name ");
    copyText(field, sizeof(field), nullptr);
    EXPECT_STREQ(field, "");

    char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(boundedLength(unterminated, sizeof(unterminated)), 4u);
}

}  // namespace
