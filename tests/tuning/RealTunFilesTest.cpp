// Maps exported by other programs; the expected values are the files' own
// "[exact tuning]" lines.
#include "tuning/TuningMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

std::string tunPath(const char* file)
{
    return std::string(TOVARINE_TESTDATA_DIR) + "/tun/" + file;
}

} // namespace

TEST(RealTunFiles, NineteenEqualWithA420)
{
    for (const char* file : {"parnassus_19EDO_v1.tun", "parnassus_19EDO_v2.tun"}) {
        SCOPED_TRACE(file);
        TuningMap map;
        ASSERT_TRUE(map.loadFromFile(tunPath(file).c_str())) << map.errorText;
        EXPECT_EQ(map.noteCents[0], 2461.568228);
        EXPECT_EQ(map.noteCents[12], 3219.462965);
        EXPECT_EQ(map.noteCents[127], 10482.620860);
        EXPECT_EQ(map.baseFrequency, TuningMap::kStandardBaseFrequency);
        EXPECT_NEAR(map.frequencyOfNote(69), 420.0, 1e-4);
        // One step of 19-EDO is 1200/19 cents.
        EXPECT_NEAR(map.noteCents[70] - map.noteCents[69], 1200.0 / 19.0, 1e-5);
        EXPECT_EQ(std::string(map.name), std::string(file).substr(0, std::string(file).find('.')));
    }
}

TEST(RealTunFiles, NonMonotonicScale)
{
    for (const char* file : {"scaleworkshop_anamark.v1.tun", "scaleworkshop_anamark.v2.tun"}) {
        SCOPED_TRACE(file);
        TuningMap map;
        ASSERT_TRUE(map.loadFromFile(tunPath(file).c_str())) << map.errorText;
        EXPECT_EQ(map.noteCents[0], -5000.0);
        EXPECT_EQ(map.noteCents[3], -4215.641287);
        EXPECT_EQ(map.noteCents[68], 5807.531448);
        EXPECT_EQ(map.noteCents[127], 16815.641287);
        EXPECT_NEAR(map.frequencyOfNote(69), 440.0, 1e-6);
    }
}

TEST(RealTunFiles, NonOctavePeriodWithFunctionalSectionIgnored)
{
    TuningMap map;
    ASSERT_TRUE(map.loadFromFile(tunPath("scaleworkshop_unittestscale.tun").c_str())) << map.errorText;
    EXPECT_STREQ(map.name, "scaleworkshop_unittestscale");
    EXPECT_EQ(map.noteCents[0], -19616.370012);
    EXPECT_EQ(map.noteCents[99], 18311.730005);
    EXPECT_EQ(map.noteCents[127], 28404.017202);
    EXPECT_NEAR(map.frequencyOfNote(69), 440.0, 1e-6);
    EXPECT_NEAR(map.frequencyOfNote(68), 263.7, 0.05);
}
