// The Scala readers on texts made for one rule each; the real files of the
// test data are read through the engine (tests/programs/ScalaTuningTest.cpp).
#include "tuning/ScalaTuning.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace {

constexpr const char* kMapHeader = "0\n0\n127\n60\n69\n440.0\n12\n";  // a linear map, A4 = 440 Hz

TEST(ScalaFiles, ScaleTextRules)
{
    const struct {
        const char* text;
        const char* error;  // nullptr: accepted
        double lastCents;
    } cases[] = {
        {"lone CR line ends\r2\r3/2 fifth\r2\r", nullptr, 1200.0},
        {"!\n  ! indented comment\nd\n1\n2/1\n", nullptr, 1200.0},
        {"d\n2\n-50.5\n700.\n", nullptr, 700.0},
        {"\xEF\xBB\xBF! a byte order mark first\nd\n1\n2/1\n", nullptr, 1200.0},
        {"d\n1\n2000000.0\n", "s.scl: line 3: expected a pitch in cents (\"701.955\") or a ratio (\"3/2\"), found \"2000000.0\"", 0},
        {"d\n1\n3\n\n", nullptr, 1200.0 * std::log2(3.0)},  // one empty last line is harmless
        {"d\n1\n3\n\n\n", "s.scl: line 4: the scale's 1 pitches are complete; only comments may follow, found a blank line", 0},
        {"d\n1\n3\n! comment\n", nullptr, 1200.0 * std::log2(3.0)},
        {"d\n0\n", "s.scl: line 2: expected the number of pitches (a whole number of 1 or more), found \"0\"", 0},
        {"d\n2\n3/0\n2\n", "s.scl: line 3: expected a pitch in cents (\"701.955\") or a ratio (\"3/2\"), found \"3/0\"", 0},
        {"d\n1\n-3/2\n", "s.scl: line 3: expected a pitch in cents (\"701.955\") or a ratio (\"3/2\"), found \"-3/2\"", 0},
        {"d\n1\n1,5\n", "s.scl: line 3: expected a pitch in cents (\"701.955\") or a ratio (\"3/2\"), found \"1,5\"", 0},
        {"d\n", "s.scl: line 1: the file ends before the number of pitches", 0},
        {"! only a comment\n", "s.scl: no description line; the file holds no scale", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        const std::optional<ScalaScale> scale = parseScalaScale(c.text, "s.scl", error);
        if (c.error) {
            EXPECT_FALSE(scale);
            EXPECT_EQ(error, c.error);
        } else {
            ASSERT_TRUE(scale) << error;
            EXPECT_NEAR(scale->cents.back(), c.lastCents, 1e-9);
        }
    }
}

TEST(ScalaFiles, MappingTextRules)
{
    const struct {
        std::string text;
        const char* error;  // nullptr: accepted
    } cases[] = {
        {kMapHeader, nullptr},
        {std::string(kMapHeader) + "\n", nullptr},
        {"1\n0\n127\n60\n69\n440\n1\nX\n", "m.kbm: line 5: the reference key 69 is unmapped (x) in the map"},
        {"0\n0\n128\n60\n69\n440\n12\n", "m.kbm: line 3: expected the last MIDI key to retune (0..127), found \"128\""},
        {"0\n0\n127\n60\n69\n0\n12\n", "m.kbm: line 6: expected the reference frequency in Hz (above 0, e.g. 440.0), found \"0\""},
        {"2\n0\n127\n60\n60\n440\n12\n0\n-1\n", "m.kbm: line 9: expected a scale degree (a whole number) or x, found \"-1\""},
        {"", "m.kbm: the file is empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        const std::optional<KeyboardMapping> mapping = parseKeyboardMapping(c.text, "m.kbm", error);
        EXPECT_EQ(!mapping, c.error != nullptr);
        if (c.error) {
            EXPECT_EQ(error, c.error);
        }
    }
}

TEST(ScalaFiles, NumbersIgnoreProcessLocale)
{
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 not installed";
    std::string error;
    const std::optional<ScalaScale> scale = parseScalaScale("d\n2\n100.25\n1200.5\n", "s.scl", error);
    const std::optional<KeyboardMapping> mapping = parseKeyboardMapping("0\n0\n127\n60\n69\n442.5\n12\n", "m.kbm", error);
    std::setlocale(LC_NUMERIC, "C");
    ASSERT_TRUE(scale && mapping) << error;
    EXPECT_EQ(scale->cents[0], 100.25);
    EXPECT_EQ(mapping->referenceFrequency, 442.5);
}

}  // namespace
