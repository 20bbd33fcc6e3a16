#include "tuning/TuningMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class TunFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("tovarine-tun-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string write(const std::string& content, const std::string& fileName = "map.tun")
    {
        const std::string path = (dir / fileName).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    bool load(const std::string& content) { return map.loadFromFile(write(content).c_str()); }

    void expectStandardTable()
    {
        for (int n = 0; n < TuningMap::kNumNotes; ++n)
            ASSERT_EQ(map.noteCents[n], 100.0 * n) << "note " << n;
        EXPECT_EQ(map.baseFrequency, TuningMap::kStandardBaseFrequency);
    }

    std::filesystem::path dir;
    TuningMap map;
};

} // namespace

TEST(TuningMapStandard, FrequenciesInsideAndOutsideTheTable)
{
    TuningMap map;
    EXPECT_STREQ(map.name, "standard");
    EXPECT_NEAR(map.frequencyOfNote(69), 440.0, 1e-9);
    EXPECT_NEAR(map.frequencyOfNote(0), TuningMap::kStandardBaseFrequency, 1e-12);

    map.noteCents[127] = 0.0;  // notes outside 0..127 must not read the table
    EXPECT_NEAR(map.frequencyOfNote(200), map.baseFrequency * std::exp2(20000.0 / 1200.0), 1e-6);
    EXPECT_NEAR(map.frequencyOfNote(-12), map.baseFrequency / 2.0, 1e-12);

    map.setNoteFrequency(128, 1000.0);
    EXPECT_STREQ(map.errorText, "Note index out of range: 128");
    map.frequencyOfNote(60);
    EXPECT_STREQ(map.errorText, "");
    map.setNoteFrequency(60, 880.0);
    EXPECT_NEAR(map.frequencyOfNote(60), 880.0, 1e-9);
}

TEST_F(TunFileTest, OnlyTuningTagLoadsStandardTable)
{
    ASSERT_TRUE(load("[tuning]\n"));
    expectStandardTable();
    EXPECT_STREQ(map.name, "map");
    EXPECT_STREQ(map.errorText, "");
}

TEST_F(TunFileTest, TagsAreCaseInsensitiveButExact)
{
    ASSERT_TRUE(load("[TUNING]\nNOTE 1 = 150\n"));
    EXPECT_EQ(map.noteCents[1], 150.0);

    ASSERT_TRUE(load("[Exact Tuning]\nNote 1 = 150.5\n"));
    EXPECT_EQ(map.noteCents[1], 150.5);

    // Blanks inside the brackets open an unknown section.
    EXPECT_FALSE(load("[ tuning ]\nnote 1 = 150\n"));
    EXPECT_STREQ(map.errorText, "No tuning data found!");

    EXPECT_FALSE(load("; header\n[tuning] ; comment\n"));
    EXPECT_STREQ(map.errorText, "Syntax error: Section-tag must be the only string in the line! (line 2)");
}

TEST_F(TunFileTest, CommentsAndUnknownSectionsAreNotChecked)
{
    EXPECT_FALSE(load("; only a comment\n\n   \n"));
    EXPECT_STREQ(map.errorText, "No tuning data found!");
    EXPECT_FALSE(load("[info]\nno equals sign here\n"));
    EXPECT_STREQ(map.errorText, "No tuning data found!");

    ASSERT_TRUE(load("text before any section\n[functional tuning]\nnote 69=\"! 440.0\"\n"
                     "[tuning]\n\t; indented comment\n  note 2 = 250  \n[scale end]\nbroken\n"));
    EXPECT_EQ(map.noteCents[2], 250.0);
    EXPECT_EQ(map.noteCents[69], 6900.0);
}

TEST_F(TunFileTest, LineNumbersCountOnlyNonEmptyLines)
{
    EXPECT_FALSE(load("\n[tuning]\nnote 5\n"));
    EXPECT_STREQ(map.errorText, "Syntax error: '=' missing! (line 2)");

    // A line of blanks counts; CR LF and a lone CR end lines like LF.
    EXPECT_FALSE(load("[tuning]\r\n  \r\nnote 1 = 1\r\n\r\nnote 5\r\n"));
    EXPECT_STREQ(map.errorText, "Syntax error: '=' missing! (line 4)");
    EXPECT_FALSE(load(std::string("[tuning]\rnote 1 = 1\0note 5", 28)));
    EXPECT_STREQ(map.errorText, "Syntax error: '=' missing! (line 3)");
}

TEST_F(TunFileTest, LastLineNeedsNoLineBreak)
{
    ASSERT_TRUE(load("[tuning]\r\nnote 3 = 333"));
    EXPECT_EQ(map.noteCents[3], 333.0);
}

TEST_F(TunFileTest, LineLengthLimit)
{
    const std::string comment509 = ";" + std::string(508, 'x');
    ASSERT_TRUE(load("[tuning]\n" + comment509 + "\nnote 1 = 99\n"));
    EXPECT_EQ(map.noteCents[1], 99.0);

    EXPECT_FALSE(load("[tuning]\n" + comment509 + "x\nnote 1 = 99\n"));
    EXPECT_STREQ(map.errorText, "Line too long (line 2)");
    // Blanks count towards the limit too; it applies in every section.
    EXPECT_FALSE(load("[info]\n" + std::string(510, ' ') + "\n[tuning]\n"));
    EXPECT_STREQ(map.errorText, "Line too long (line 2)");
}

TEST_F(TunFileTest, WholeCentsSection)
{
    ASSERT_TRUE(load("[tuning]\n"
                     "note 69 = 6900.7\n"
                     "basefreq = 440\n"
                     "note 128 = 0\n"
                     "note -1 = 0\n"
                     "notes = 5\n"
                     "note60=6123\n"
                     "note 5 = 100 ; remark\n"
                     "note 7 = -250\n"
                     "tuning = 1\n"));
    EXPECT_EQ(map.noteCents[69], 6900.0);
    EXPECT_EQ(map.noteCents[0], 5.0);
    EXPECT_EQ(map.noteCents[60], 6123.0);
    EXPECT_EQ(map.noteCents[5], 100.0);
    EXPECT_EQ(map.noteCents[7], -250.0);
    EXPECT_EQ(map.noteCents[127], 12700.0);
    EXPECT_EQ(map.baseFrequency, TuningMap::kStandardBaseFrequency);

    ASSERT_TRUE(load("[tuning]\nnote = 5\n"));
    EXPECT_EQ(map.noteCents[0], 5.0);
}

TEST_F(TunFileTest, ExactSectionWinsOverWholeCents)
{
    ASSERT_TRUE(load("[tuning]\nnote 1 = 111\nnote 127 = 5\n"
                     "[exact tuning]\nbasefreq = 10.5\nnote 127 = 12700.25\n"
                     "[tuning]\nnote 2 = 222\n"));
    EXPECT_EQ(map.noteCents[1], 100.0);
    EXPECT_EQ(map.noteCents[2], 200.0);
    EXPECT_EQ(map.noteCents[127], 12700.25);
    EXPECT_EQ(map.baseFrequency, 10.5);
    EXPECT_NEAR(map.frequencyOfNote(127), 10.5 * std::exp2(12700.25 / 1200.0), 1e-9);
}

TEST_F(TunFileTest, ExactScaleRepeatsWithItsHighestNoteAsPeriod)
{
    // A 12-note scale with a stretched octave of 1210 cents.
    std::string file = "[exact tuning]\n";
    const double scale[13] = {0, 90, 204, 294, 408, 498, 612, 702, 792, 906, 996, 1110, 1210};
    for (int n = 0; n <= 12; ++n)
        file += "note " + std::to_string(n) + " = " + std::to_string(scale[n]) + "\n";
    ASSERT_TRUE(load(file));
    for (int n = 0; n < TuningMap::kNumNotes; ++n)
        ASSERT_NEAR(map.noteCents[n], (n / 12) * 1210.0 + scale[n % 12], 1e-9) << "note " << n;

    // With note 127 as the highest note nothing is repeated.
    ASSERT_TRUE(load("[exact tuning]\nnote 12 = 1300\nnote 127 = 5\n"));
    EXPECT_EQ(map.noteCents[12], 1300.0);
    EXPECT_EQ(map.noteCents[13], 1300.0);
    EXPECT_EQ(map.noteCents[127], 5.0);
}

TEST_F(TunFileTest, RepetitionKeepsGivenValuesWhenScaleDoesNotStartAtZero)
{
    // Notes 0..12 a quarter tone above equal temperament: the file's own
    // note 12 must stay, and the period is 1200 cents.
    std::string file = "[exact tuning]\n";
    for (int n = 0; n <= 12; ++n)
        file += "note " + std::to_string(n) + " = " + std::to_string(50 + 100 * n) + "\n";
    ASSERT_TRUE(load(file));
    for (int n = 0; n < TuningMap::kNumNotes; ++n)
        ASSERT_NEAR(map.noteCents[n], 50.0 + 100.0 * n, 1e-9) << "note " << n;

    // A scale of note 0 alone has no period: the other notes stay standard.
    ASSERT_TRUE(load("[exact tuning]\nnote 0 = 30\n"));
    EXPECT_EQ(map.noteCents[0], 30.0);
    EXPECT_EQ(map.noteCents[1], 100.0);
    EXPECT_EQ(map.noteCents[127], 12700.0);

    // Notes below the highest one that the file skips keep standard values.
    ASSERT_TRUE(load("[exact tuning]\nnote 2 = 150\n"));
    EXPECT_EQ(map.noteCents[1], 100.0);
    EXPECT_EQ(map.noteCents[3], 250.0);
    EXPECT_EQ(map.noteCents[4], 300.0);
}

TEST_F(TunFileTest, UnusableNumbersAreSkipped)
{
    ASSERT_TRUE(load("[exact tuning]\nbasefreq = 0\nbasefreq = -3\nbasefreq = 1e999\n"
                     "note 127 = 1e999\nnote 126 = -1e999\n"));
    expectStandardTable();
}

TEST_F(TunFileTest, FailedLoadKeepsNameAndExactValuesReadBeforeTheError)
{
    EXPECT_FALSE(load("[tuning]\nnote 1 = 111\n[exact tuning]\nbasefreq = 20\nnote 2 = 222.5\nbroken\nnote 3 = 1\n"));
    EXPECT_STREQ(map.errorText, "Syntax error: '=' missing! (line 6)");
    EXPECT_STREQ(map.name, "map");
    EXPECT_EQ(map.noteCents[1], 100.0);
    EXPECT_EQ(map.noteCents[2], 222.5);
    EXPECT_EQ(map.noteCents[3], 300.0);
    EXPECT_EQ(map.baseFrequency, 20.0);

    // The next load starts from the standard state again.
    ASSERT_TRUE(load("[tuning]\n"));
    expectStandardTable();
}

TEST_F(TunFileTest, NameAndOpenErrors)
{
    EXPECT_FALSE(map.loadFromFile("C:\\x\\missing.tun"));
    EXPECT_STREQ(map.errorText, "Error opening the file  'C:\\x\\missing.tun'");
    EXPECT_STREQ(map.name, "missing");

    const std::string missing = (dir / "sub.dir" / "scale.v2.tun").string();
    EXPECT_FALSE(map.loadFromFile(missing.c_str()));
    EXPECT_EQ(std::string(map.errorText), "Error opening the file  '" + missing + "'");
    EXPECT_STREQ(map.name, "scale");

    EXPECT_FALSE(map.loadFromFile("a.tu"));
    EXPECT_STREQ(map.name, "standard");
    EXPECT_FALSE(map.loadFromFile(nullptr));
    EXPECT_STREQ(map.name, "standard");

    const std::string longName(100, 'n');
    ASSERT_TRUE(map.loadFromFile(write("[tuning]\n", longName + ".tun").c_str()));
    EXPECT_EQ(std::string(map.name), longName.substr(0, 79));

    // A folder opens but cannot be read: that must not pass for an empty map.
    EXPECT_FALSE(map.loadFromFile(dir.c_str()));
    EXPECT_NE(std::string(map.errorText), "");
}
