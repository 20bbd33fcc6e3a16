#include "tuning/TuningMap.h"

#include <gtest/gtest.h>

#include <clocale>
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

    std::filesystem::path dir;
    TuningMap map;
};

std::string exactNotes(int count, double firstCents, double step)
{
    std::string text = "[exact tuning]\n";
    for (int n = 0; n < count; ++n)
        text += "note " + std::to_string(n) + " = " + std::to_string(firstCents + step * n) + "\n";
    return text;
}

} // namespace

TEST(TuningMapStandard, NotesOutsideTheTableContinueEqualTemperament)
{
    TuningMap map;
    EXPECT_NEAR(map.frequencyOfNote(69), 440.0, 1e-9);
    map.noteCents[127] = 0.0;
    EXPECT_NEAR(map.frequencyOfNote(200), map.baseFrequency * std::exp2(20000.0 / 1200.0), 1e-6);
    EXPECT_NEAR(map.frequencyOfNote(-12), map.baseFrequency / 2.0, 1e-12);
    map.setNoteFrequency(128, 1000.0);
    EXPECT_STREQ(map.errorText, "Note index out of range: 128");
}

TEST_F(TunFileTest, SyntaxErrorsAndLineNumbers)
{
    const std::string line509 = ";" + std::string(508, 'x');
    const char zeroByteEnds[] = "[tuning]\rnote 1 = 1\0note 5";
    const struct {
        std::string content;
        const char* message;  // nullptr: loads
    } cases[] = {
        {"[tuning]", nullptr},
        {"\n[tuning]\nnote 5\n", "map.tun: line 2: expected KEY = VALUE, such as note 69 = 6900"},
        // Empty lines (the LF of CR LF) do not count, a line of blanks does.
        {"[tuning]\r\n  \r\nnote 1 = 1\r\n\r\nnote 5\r\n", "map.tun: line 4: expected KEY = VALUE, such as note 69 = 6900"},
        {std::string(zeroByteEnds, sizeof(zeroByteEnds) - 1), "map.tun: line 3: expected KEY = VALUE, such as note 69 = 6900"},
        {"[tuning]\n" + line509 + "\n", nullptr},
        {"[tuning]\n" + line509 + "x\n", "map.tun: line 2: expected a line of at most 509 characters"},
        {"[info]\n" + std::string(510, ' ') + "\n[tuning]\n", "map.tun: line 2: expected a line of at most 509 characters"},
        {"; x\n[tuning] ; comment\n", "map.tun: line 2: expected a section tag such as [Exact Tuning] alone on its line"},
        {"[ tuning ]\nnote 1 = 1\n", "map.tun: no [Tuning] or [Exact Tuning] section; the file holds no tuning"},
        {"; only a comment\n\n\t\n", "map.tun: no [Tuning] or [Exact Tuning] section; the file holds no tuning"},
        // Text before any section and in unknown sections is not checked.
        {"free text\n[functional tuning]\nnote 69=\"! 440\"\nno equals\n[TUNING]\n", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.substr(0, 40));
        EXPECT_EQ(load(c.content), c.message == nullptr);
        EXPECT_STREQ(map.errorText, c.message ? c.message : "");
    }
}

TEST_F(TunFileTest, WholeCentsSection)
{
    ASSERT_TRUE(load("[Tuning]\nNOTE 69 = 6900.7\nbasefreq = 440\nnote 128 = 0\nnote -1 = 0\n"
                     "notes = 5\nnote60=6123\nnote 7 = -250 ; remark"));
    EXPECT_EQ(map.noteCents[69], 6900.0);
    EXPECT_EQ(map.noteCents[0], 5.0);
    EXPECT_EQ(map.noteCents[60], 6123.0);
    EXPECT_EQ(map.noteCents[7], -250.0);
    EXPECT_EQ(map.noteCents[127], 12700.0);
    EXPECT_EQ(map.baseFrequency, TuningMap::kStandardBaseFrequency);
}

TEST_F(TunFileTest, ExactSectionWinsAndRepeatsItsScale)
{
    ASSERT_TRUE(load("[tuning]\nnote 1 = 111\n[Exact Tuning]\nbasefreq = 10.5\nnote 127 = 12700.25\n"
                     "[tuning]\nnote 2 = 222\n"));
    EXPECT_EQ(map.noteCents[1], 100.0);
    EXPECT_EQ(map.noteCents[2], 200.0);
    EXPECT_NEAR(map.frequencyOfNote(127), 10.5 * std::exp2(12700.25 / 1200.0), 1e-9);

    // Notes 0..12 with a stretched octave of 1212 cents repeat up to note 127.
    ASSERT_TRUE(load(exactNotes(13, 0.0, 101.0)));
    for (int n = 0; n < TuningMap::kNumNotes; ++n)
        ASSERT_NEAR(map.noteCents[n], 101.0 * n, 1e-9) << n;
    // A scale not starting at 0 cents keeps its own values (period = note 12 - note 0).
    ASSERT_TRUE(load(exactNotes(13, 50.0, 100.0)));
    for (int n = 0; n < TuningMap::kNumNotes; ++n)
        ASSERT_NEAR(map.noteCents[n], 50.0 + 100.0 * n, 1e-9) << n;
    // Notes the file skips below its highest keep standard values; note 0 alone repeats nothing.
    ASSERT_TRUE(load("[exact tuning]\nnote 2 = 150\n"));
    EXPECT_EQ(map.noteCents[1], 100.0);
    EXPECT_EQ(map.noteCents[4], 300.0);
    ASSERT_TRUE(load("[exact tuning]\nnote 0 = 30\n"));
    EXPECT_EQ(map.noteCents[1], 100.0);
}

TEST_F(TunFileTest, UnusableNumbersAreSkipped)
{
    ASSERT_TRUE(load("[exact tuning]\nbasefreq = 0\nbasefreq = -3\nbasefreq = 1e999\nnote 127 = 1e999\n"));
    EXPECT_EQ(map.noteCents[127], 12700.0);
    EXPECT_EQ(map.baseFrequency, TuningMap::kStandardBaseFrequency);
}

TEST_F(TunFileTest, FailedLoadKeepsNameAndExactValuesReadBeforeTheError)
{
    EXPECT_FALSE(load("[tuning]\nnote 1 = 111\n[exact tuning]\nbasefreq = 20\nnote 2 = 222.5\nbroken\nnote 3 = 1\n"));
    EXPECT_STREQ(map.name, "map");
    EXPECT_EQ(map.noteCents[1], 100.0);
    EXPECT_EQ(map.noteCents[2], 222.5);
    EXPECT_EQ(map.noteCents[3], 300.0);
    EXPECT_EQ(map.baseFrequency, 20.0);
}

TEST_F(TunFileTest, NamesAndUnreadableFiles)
{
    EXPECT_FALSE(map.loadFromFile("C:\\x\\missing.tun"));
    EXPECT_STREQ(map.errorText, "missing.tun: cannot open the file");
    EXPECT_STREQ(map.name, "missing");
    EXPECT_FALSE(map.loadFromFile((dir / "sub.dir" / "scale.v2.tun").c_str()));
    EXPECT_STREQ(map.name, "scale");
    EXPECT_FALSE(map.loadFromFile("a.tu"));
    EXPECT_STREQ(map.name, "standard");
    EXPECT_FALSE(map.loadFromFile(nullptr));

    const std::string longName(100, 'n');
    ASSERT_TRUE(map.loadFromFile(write("[tuning]\n", longName + ".tun").c_str()));
    EXPECT_EQ(map.name, longName.substr(0, 79));
    // A folder opens but cannot be read: that must not pass for a map.
    EXPECT_FALSE(map.loadFromFile(dir.c_str()));
    EXPECT_STRNE(map.errorText, "");
}

TEST_F(TunFileTest, NumbersIgnoreProcessLocale)
{
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 not installed";
    const bool loaded = load("[exact tuning]\nbasefreq = 8.5\nnote 127 = 12700.25\n");
    std::setlocale(LC_NUMERIC, "C");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(map.baseFrequency, 8.5);
    EXPECT_EQ(map.noteCents[127], 12700.25);
}
