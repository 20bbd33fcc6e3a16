// Tuning commands (parameter 45) with the real ".tun" files of the test data
// and a stand-in zenity first on PATH, which answers like the real dialog:
// it prints the chosen file, or exits with status 1 when "cancelled".
#include "engine/ResonatorEngine.h"
#include "tests/testhost/StandInDialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kTunDir = TOVARINE_TESTDATA_DIR "/tun/";
constexpr double kNoteZeroHz = 8.175798915643707;  // none of the files sets a base frequency

// Notes 0..127 in cents from a file's [Exact Tuning] section, read here independently.
std::map<int, double> exactCents(const std::string& file)
{
    std::ifstream in(file);
    std::map<int, double> cents;
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            inSection = strncasecmp(line.c_str(), "[Exact Tuning]", 14) == 0;
            continue;
        }
        int note = 0;
        double value = 0;
        if (inSection && std::sscanf(line.c_str(), "note %d = %lf", &note, &value) == 2)
            cents[note] = value;
    }
    return cents;
}

class TuningCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = std::make_unique<ResonatorEngine>(nullptr);
        engine->setSampleRate(48000.f);
    }
    // The next dialog "chooses" file; every run is counted.
    void chooseInDialog(const std::string& file) { dialog.choose(file); }
    void cancelDialog() { dialog.cancel(); }
    int dialogRuns() { return dialog.runs(); }

    ProgramRecord& current() { return engine->getPrograms()[engine->getProgram()]; }

    void expectTunedTo(const std::map<int, double>& cents, float sampleRate)
    {
        for (int i = 0; i < kNumCombs; ++i) {
            const double f = kNoteZeroHz * std::exp2(cents.at(12 + i) / 1200.0);
            const double delay = sampleRate / f;
            ASSERT_NEAR(engine->currentCombs[i].Delay, delay, delay * 1e-6) << "resonator " << i;
            ASSERT_NEAR(current().combSettings[i].normalPitch, std::log(f / 4) / std::log(1024.0), 1e-6) << i;
        }
    }

    testhost::StandInDialog dialog{"tuning"};
    std::unique_ptr<ResonatorEngine> engine;
};

TEST_F(TuningCommands, EveryRealFileTunesEveryResonator)
{
    for (const char* name : {"parnassus_19EDO_v1.tun", "parnassus_19EDO_v2.tun", "scaleworkshop_anamark.v1.tun",
                             "scaleworkshop_anamark.v2.tun", "scaleworkshop_unittestscale.tun"}) {
        const std::string file = kTunDir + name;
        const auto cents = exactCents(file);
        ASSERT_EQ(cents.size(), 128u) << name;
        chooseInDialog(file);
        engine->setParameter(1, 0.7f);
        engine->setParameter(45, 0.f);
        EXPECT_STREQ(current().tuningMapPath, file.c_str());
        expectTunedTo(cents, 48000.f);
        EXPECT_EQ(engine->getParameter(1), 0.f);  // the selector shows the pitch again

        // Deriving the map back from the resonators gives the file's cents.
        engine->setParameter(45, -2.f);
        // A float period is exact to 6e-8 of itself, about 1e-4 cents.
        for (int n = 12; n < 100; ++n)
            ASSERT_NEAR(engine->getTuningMap().noteCents[n], cents.at(n), 1e-3) << name << " note " << n;
    }
}

TEST_F(TuningCommands, ReselectingAProgramReloadsItsFileWithoutADialog)
{
    const std::string file = kTunDir + "parnassus_19EDO_v1.tun";
    engine->setProgram(2);
    chooseInDialog(file);
    engine->setParameter(45, 0.f);
    ASSERT_EQ(dialogRuns(), 1);

    engine->setProgram(3);  // empty path: standard tuning
    EXPECT_NEAR(engine->currentCombs[57].Delay, 48000.0 / 440.0, 1e-3);
    engine->setProgram(2);
    EXPECT_EQ(dialogRuns(), 1);
    EXPECT_STREQ(current().tuningMapPath, file.c_str());
    expectTunedTo(exactCents(file), 48000.f);
}

TEST_F(TuningCommands, CancelledDialogEmptiesThePathAndKeepsTheMap)
{
    const std::string file = kTunDir + "parnassus_19EDO_v2.tun";
    engine->setProgram(1);
    chooseInDialog(file);
    engine->setParameter(45, 0.f);
    const auto cents = exactCents(file);

    // Asked again and cancelled: the path goes, the map (read again from the stored path) stays.
    cancelDialog();
    engine->setParameter(45, 0.f);
    EXPECT_STREQ(current().tuningMapPath, "");
    expectTunedTo(cents, 48000.f);

    // The next selection of the program falls back to the standard tuning, without a dialog.
    const int runs = dialogRuns();
    engine->setProgram(1);
    EXPECT_EQ(dialogRuns(), runs);
    EXPECT_NEAR(engine->currentCombs[57].Delay, 48000.0 / 440.0, 1e-3);
}

TEST_F(TuningCommands, MissingStoredFileAsksAndCancelMeansStandard)
{
    engine->setProgram(4);
    copyText(current().tuningMapPath, sizeof(current().tuningMapPath), (dialog.folder() + "/gone.tun").c_str());
    cancelDialog();
    engine->setProgram(4);
    EXPECT_EQ(dialogRuns(), 1);
    EXPECT_STREQ(current().tuningMapPath, "");
    EXPECT_NEAR(engine->currentCombs[57].Delay, 48000.0 / 440.0, 1e-3);

    // A choice that names no file counts as a cancel.
    copyText(current().tuningMapPath, sizeof(current().tuningMapPath), "x.tun");
    chooseInDialog(dialog.folder() + "/not-there.tun");
    engine->setParameter(45, 0.f);
    EXPECT_STREQ(current().tuningMapPath, "");
}

TEST_F(TuningCommands, StarredProgramKeepsItsOwnPeriods)
{
    engine->setProgram(0);  // "*standard": the stored periods are the tuning
    const ProgramRecord& zero = engine->getPrograms()[0];
    for (int i = 0; i < kNumCombs; ++i)
        ASSERT_EQ(engine->currentCombs[i].Delay, zero.combSettings[i].Delay) << i;
    EXPECT_EQ(dialogRuns(), 0);
}

}  // namespace
