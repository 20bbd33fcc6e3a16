// Scala scales and keyboard mappings on the resonators, with the real files of
// the test data and a stand-in file dialog. Expected pitches come from a
// second, deliberately plain reading of the files below.
#include "engine/ResonatorEngine.h"
#include "tests/testhost/StandInDialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const std::string kScalaDir = TOVARINE_TESTDATA_DIR "/scala/";
constexpr float kRate = 48000.f;

const char* const kScales[] = {"12-ET-P5.scl", "12-intune-dosle.scl", "12-intune-nodesc.scl", "12-intune.scl",
                               "12-shuffled.scl", "31edo.scl", "31edo_dos_lineends.scl", "6-exact.scl", "ED3-17.scl",
                               "ED4-17.scl", "carlos-alpha.scl", "marvel12.scl", "zeus22.scl"};
const char* const kMappings[] = {"128.kbm", "31-edo.kbm", "31edo_meantone.kbm", "empty-note61.kbm",
                                 "empty-note69-dosle.kbm", "empty-note69.kbm", "liwung-tbn.kbm",
                                 "mapping-a440-constant.kbm", "mapping-a442-7-to-12.kbm", "mapping-n60-fifths.kbm",
                                 "mapping-note53-to-430-408.kbm", "mapping-whitekeys-a440.kbm",
                                 "mapping-whitekeys-c261.kbm", "piano.kbm", "rast.kbm"};

// The lines of a file that are not comments, without line ends.
std::vector<std::string> valueLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] != '!')
            lines.push_back(line);
    }
    return lines;
}

long floorDiv(long a, long b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

struct PlainScale {
    std::vector<double> cents{0.0};  // degree 0 first; back() is the period
    double of(long degree) const
    {
        const long n = static_cast<long>(cents.size()) - 1;
        const long periods = floorDiv(degree, n);
        return periods * cents.back() + cents[degree - periods * n];
    }
};

PlainScale plainScale(const std::string& file)
{
    PlainScale scale;
    if (file.empty()) {
        for (int k = 1; k <= 12; ++k)
            scale.cents.push_back(100.0 * k);
        return scale;
    }
    const std::vector<std::string> lines = valueLines(kScalaDir + file);
    const int count = std::stoi(lines.at(1));
    for (int k = 0; k < count; ++k) {
        const std::string& p = lines.at(2 + k);
        double n = 0, d = 1;
        if (p.find('.') != std::string::npos)
            scale.cents.push_back(std::stod(p));
        else if (std::sscanf(p.c_str(), "%lf/%lf", &n, &d) >= 1)
            scale.cents.push_back(1200.0 * std::log2(n / d));
    }
    return scale;
}

struct PlainMapping {
    int size = 0, first = 0, last = 127, middle = 60, reference = 60, octave = 0;
    double hz = 440.0 * std::exp2(-9.0 / 12.0);
    std::vector<int> keys;  // -1 = x

    std::optional<long> degree(int key) const
    {
        if (size == 0)
            return key - middle;
        const long repeats = floorDiv(key - middle, size);
        const int k = keys[key - middle - repeats * size];
        return k < 0 ? std::nullopt : std::optional<long>(repeats * octave + k);
    }
};

PlainMapping plainMapping(const std::string& file)
{
    PlainMapping m;
    if (file.empty())
        return m;
    const std::vector<std::string> v = valueLines(kScalaDir + file);
    m.size = std::stoi(v[0]);
    m.first = std::stoi(v[1]);
    m.last = std::stoi(v[2]);
    m.middle = std::stoi(v[3]);
    m.reference = std::stoi(v[4]);
    m.hz = std::stod(v[5]);
    m.octave = std::stoi(v[6]);
    for (int k = 0; k < m.size; ++k)
        m.keys.push_back(v[7 + k] == "x" ? -1 : std::stoi(v[7 + k]));
    return m;
}

// The frequency of a key the mapping retunes; nothing for the others.
std::optional<double> expectedHz(const PlainScale& s, const PlainMapping& m, int key)
{
    const std::optional<long> d = m.degree(key);
    if (key < m.first || key > m.last || !d)
        return std::nullopt;
    return m.hz * std::exp2((s.of(*d) - s.of(*m.degree(m.reference))) / 1200.0);
}

class ScalaTuning : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = makeEngine();
        engine->setProgram(kProgram);  // standard tuning: the pitches unmapped keys keep
    }
    static std::unique_ptr<ResonatorEngine> makeEngine()
    {
        auto e = std::make_unique<ResonatorEngine>(nullptr);
        e->setSampleRate(kRate);
        return e;
    }
    ProgramRecord& current() { return engine->getPrograms()[engine->getProgram()]; }
    static std::vector<float> collectDelays(const ResonatorEngine& e)
    {
        std::vector<float> d;
        for (const CombSettings& c : e.currentCombs)
            d.push_back(c.Delay);
        return d;
    }
    void loadFromDialog(const std::string& file)
    {
        dialog.choose(file);
        engine->setParameter(45, 0.f);
    }

    static constexpr int kProgram = 6;
    testhost::StandInDialog dialog{"scala"};
    std::unique_ptr<ResonatorEngine> engine;
};

TEST_F(ScalaTuning, EveryScaleWithEveryMappingEndsAtTheCalculatedPitches)
{
    std::vector<std::string> scales{""};  // "": 12-TET, a mapping on its own
    scales.insert(scales.end(), std::begin(kScales), std::end(kScales));
    std::vector<std::string> mappings{""};  // "": the default mapping
    mappings.insert(mappings.end(), std::begin(kMappings), std::end(kMappings));

    const std::vector<float> standard = collectDelays(*engine);
    for (const std::string& scl : scales) {
        for (const std::string& kbm : mappings) {
            if (scl.empty() && kbm.empty())
                continue;
            SCOPED_TRACE(scl + " + " + kbm);
            // Through the program's stored path, as a reloaded program takes it.
            engine->setProgram(kProgram + 1);
            const ScalaFiles files{scl.empty() ? "" : kScalaDir + scl, kbm.empty() ? "" : kScalaDir + kbm};
            copyText(current().tuningMapPath, kTuningMapPathSize, storedPathOf(files).c_str());
            engine->setProgram(kProgram + 1);
            ASSERT_STREQ(current().tuningMapPath, storedPathOf(files).c_str());

            const PlainScale s = plainScale(scl);
            const PlainMapping m = plainMapping(kbm);
            for (int i = 0; i < kNumCombs; ++i) {
                const std::optional<double> hz = expectedHz(s, m, kFirstCombNote + i);
                const double delay = hz ? kRate / *hz : standard[i];  // unmapped keys keep their pitch
                ASSERT_NEAR(engine->currentCombs[i].Delay, delay, delay * 2e-6) << "note " << kFirstCombNote + i;
            }
            copyText(current().tuningMapPath, kTuningMapPathSize, "");
            engine->setProgram(kProgram + 1);  // back to the standard pitches for the next pair
        }
    }
    EXPECT_EQ(dialog.runs(), 0);
}

TEST_F(ScalaTuning, DialogTakesAScaleThenAMappingForItAndStoresThePair)
{
    const std::string scl = kScalaDir + "ED3-17.scl", kbm = kScalaDir + "mapping-whitekeys-a440.kbm";
    loadFromDialog(scl);
    EXPECT_STREQ(current().tuningMapPath, scl.c_str());
    EXPECT_STREQ(engine->getTuningName(), "ED3-17 - Equal division of harmonic 3 into 17 parts");

    loadFromDialog(kbm);
    EXPECT_EQ(current().tuningMapPath, scl + "\n" + kbm);
    // The name holds 79 characters: the description gives way to the mapping's file name.
    EXPECT_STREQ(engine->getTuningName(), "ED3-17 - Equal division of harmonic 3 into 17 part (mapping-whitekeys-a440.kbm)");
    // Note 69 is the mapping's reference; note 70 is an x key and kept the scale's pitch.
    EXPECT_NEAR(engine->currentCombs[57].Delay, kRate / 440.0, 1e-4);
    EXPECT_NEAR(engine->currentCombs[58].Delay, kRate / *expectedHz(plainScale("ED3-17.scl"), {}, 70), 1e-3);

    // A scale without a description is named by its file; a .tun map ends the scale, so a
    // mapping afterwards maps 12-tone equal temperament.
    loadFromDialog(kScalaDir + "12-intune-nodesc.scl");
    EXPECT_STREQ(engine->getTuningName(), "12-intune-nodesc.scl");
    loadFromDialog(TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v1.tun");
    loadFromDialog(kbm);
    EXPECT_EQ(current().tuningMapPath, kbm);
    EXPECT_STREQ(engine->getTuningName(), "12-TET (mapping-whitekeys-a440.kbm)");
}

TEST_F(ScalaTuning, MalformedFilesAreRefusedWithTheirReasonAndChangeNothing)
{
    const struct {
        const char* file;
        const char* message;
    } bad[] = {
        {"badnote.scl", "badnote.scl: line 12: expected a pitch in cents (\"701.955\") or a ratio (\"3/2\"), found \"What is this\""},
        {"blanknote.scl", "blanknote.scl: line 12: expected a pitch in cents (\"701.955\") or a ratio (\"3/2\"), found a blank line"},
        {"missingnote.scl", "missingnote.scl: line 21: the file ends after 16 of its 17 pitches"},
        {"extraline.scl", "extraline.scl: line 23: the scale's 17 pitches are complete; only comments may follow, found a blank line"},
        {"blank-line.kbm", "blank-line.kbm: line 27: expected a scale degree (a whole number) or x, found a blank line"},
        {"garbage-key.kbm", "garbage-key.kbm: line 26: expected a scale degree (a whole number) or x, found \"garbage\""},
        {"missing-note.kbm", "missing-note.kbm: line 32: the file ends after 11 of the map's 12 keys"},
        {"extraline-long.kbm", "extraline-long.kbm: line 34: the map's 12 keys are complete; only comments may follow, found a blank line"},
        {"empty-bad.kbm", "empty-bad.kbm: line 15: the file ends where it should give the degree of the formal octave (a whole number)"},
    };
    loadFromDialog(kScalaDir + "zeus22.scl");
    const std::vector<float> before = collectDelays(*engine);
    const TuningMap mapBefore = engine->getTuningMap();
    for (const auto& b : bad) {
        SCOPED_TRACE(b.file);
        loadFromDialog(kScalaDir + "bad/" + b.file);
        EXPECT_STREQ(engine->getTuningMap().getErrorText(), b.message);
        EXPECT_EQ(current().tuningMapPath, kScalaDir + "zeus22.scl");
        EXPECT_EQ(collectDelays(*engine), before);
        EXPECT_STREQ(engine->getTuningName(), mapBefore.name);
        for (int n = 0; n < TuningMap::kNumNotes; ++n)
            ASSERT_EQ(engine->getTuningMap().noteCents[n], mapBefore.noteCents[n]) << n;
    }
}

TEST_F(ScalaTuning, AProgramKeepsItsScalaTuningThroughAChunkAndProgramChanges)
{
    loadFromDialog(kScalaDir + "31edo.scl");
    loadFromDialog(kScalaDir + "31edo_meantone.kbm");
    const std::vector<float> tuned = collectDelays(*engine);
    void* bank = nullptr;
    const int32_t size = engine->getChunk(&bank, false);

    auto restored = makeEngine();
    ASSERT_EQ(restored->setChunk(bank, size, false), 1);
    for (int program : {kProgram, 0, kProgram, 9, kProgram}) {
        restored->setProgram(program);
        if (program != kProgram)
            continue;
        const std::vector<float> delays = collectDelays(*restored);
        for (int i = 0; i < kNumCombs; ++i)
            ASSERT_NEAR(delays[i], tuned[i], tuned[i] * 1e-6) << "resonator " << i;
        EXPECT_STREQ(restored->getTuningName(), "31 equal divisions of octave (31edo_meantone.kbm)");
    }
    EXPECT_EQ(dialog.runs(), 2);  // the two choices above; reloading asked nothing
}

TEST_F(ScalaTuning, AStoredScaleThatIsGoneAsksAsAMissingMapDoes)
{
    loadFromDialog(kScalaDir + "zeus22.scl");
    const std::string stored = dialog.folder() + "/gone.scl\n" + kScalaDir + "piano.kbm";
    copyText(current().tuningMapPath, kTuningMapPathSize, stored.c_str());
    dialog.cancel();
    engine->setProgram(kProgram);
    EXPECT_EQ(dialog.runs(), 2);
    EXPECT_STREQ(current().tuningMapPath, "");  // cancelled: the standard tuning from now on
    EXPECT_NEAR(engine->currentCombs[57].Delay, kRate / 440.0, 1e-3);
}

TEST_F(ScalaTuning, PitchesBeyondWhatADelayLineHoldsStopAtItsLimits)
{
    // Middle C at 2 Hz puts the low keys far below 48000 / 16383 Hz; at 20 kHz the high keys far above Nyquist.
    for (const double hz : {2.0, 20000.0}) {
        const std::string kbm = dialog.folder() + "/extreme.kbm";
        std::ofstream(kbm) << "0\n0\n127\n60\n60\n" << hz << "\n12\n";
        loadFromDialog(kbm);
        engine->applyPendingChanges();  // the audio thread moves the lines at its next block
        for (int i = 0; i < kNumCombs; ++i) {
            const double delay = kRate / (hz * std::exp2((i + kFirstCombNote - 60) / 12.0));
            ASSERT_NEAR(engine->currentCombs[i].Delay, delay, delay * 1e-6) << i;  // the period as calculated
            ASSERT_GE(engine->combs.delayLength[i], 5.f) << i;  // the line as long as it can be
            ASSERT_LE(engine->combs.delayLength[i], 16383.f) << i;
        }
        if (hz == 2.0)
            EXPECT_EQ(engine->combs.delayLength[0], 16383.f);
        else
            EXPECT_EQ(engine->combs.delayLength[kNumCombs - 1], 5.f);
    }
}

// Records the engine's messages for the user.
class TellingEngine : public ResonatorEngine {
public:
    TellingEngine() : ResonatorEngine(nullptr) {}
    void tellUser(const char* message) override { told.push_back(message); }
    std::vector<std::string> told;
};

TEST_F(ScalaTuning, PathsTooLongToStoreStillTuneAndTheUserIsToldOnce)
{
    // Two copies in a folder whose path alone takes about 110 characters: each fits, the pair does not.
    std::string folder = dialog.folder() + "/" + std::string(110 - dialog.folder().size(), 'd');
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    for (const char* file : {"ED4-17.scl", "piano.kbm"})
        std::ofstream(folder + "/" + file, std::ios::binary) << testhost::readWholeFile(kScalaDir + file);

    TellingEngine telling;
    telling.setSampleRate(kRate);
    telling.setProgram(kProgram);
    ProgramRecord& record = telling.getPrograms()[kProgram];
    for (int round = 0; round < 2; ++round) {
        for (const char* file : {"ED4-17.scl", "piano.kbm"}) {
            dialog.choose(folder + "/" + file);
            telling.setParameter(45, 0.f);
        }
        EXPECT_STREQ(record.tuningMapPath, "");
        const double hz = *expectedHz(plainScale("ED4-17.scl"), plainMapping("piano.kbm"), 69);
        EXPECT_NEAR(telling.currentCombs[57].Delay, kRate / hz, 1e-3);
    }
    ASSERT_EQ(telling.told.size(), 1u);
    EXPECT_NE(telling.told[0].find("will not reload it"), std::string::npos);
}

}  // namespace
