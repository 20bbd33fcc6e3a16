// Maps exported by other programs; expected values are the files' own
// "[exact tuning]" lines (their "[tuning]" and "[functional tuning]"
// sections must not count).
#include "tuning/TuningMap.h"

#include <gtest/gtest.h>

#include <string>

TEST(RealTunFiles, ExactTuningValues)
{
    const struct {
        const char* file;
        double note0, note3, note127;
        double hzOfNote69;
    } files[] = {
        {"parnassus_19EDO_v1.tun", 2461.568228, 2651.041912, 10482.620860, 420.0},
        {"parnassus_19EDO_v2.tun", 2461.568228, 2651.041912, 10482.620860, 420.0},
        {"scaleworkshop_anamark.v1.tun", -5000.0, -4215.641287, 16815.641287, 440.0},
        {"scaleworkshop_anamark.v2.tun", -5000.0, -4215.641287, 16815.641287, 440.0},
        {"scaleworkshop_unittestscale.tun", -19616.370012, -18711.985397, 28404.017202, 440.0},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.file);
        TuningMap map;
        ASSERT_TRUE(map.loadFromFile((std::string(TOVARINE_TESTDATA_DIR) + "/tun/" + f.file).c_str())) << map.errorText;
        EXPECT_EQ(map.noteCents[0], f.note0);
        EXPECT_EQ(map.noteCents[3], f.note3);
        EXPECT_EQ(map.noteCents[127], f.note127);
        EXPECT_NEAR(map.frequencyOfNote(69), f.hzOfNote69, 1e-4);
        const std::string file = f.file;
        EXPECT_EQ(map.name, file.substr(0, file.find('.')));
    }
}
