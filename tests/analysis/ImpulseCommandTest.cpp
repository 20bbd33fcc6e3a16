// The "Analyse Impulse" command (parameter 45, value 1) through the built
// plug-in, with the real recordings of the test data and a stand-in zenity
// first on PATH that "chooses" a file, or exits 1 like a cancelled dialog.
// The results are read back from the current program's saved state.
#include "programs/ProgramRecord.h"
#include "tests/analysis/TestWavFile.h"
#include "tests/testhost/ScratchDirectory.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kWavDir = TOVARINE_TESTDATA_DIR "/wav/";
constexpr float kRate = 44100.f;
constexpr int kSilentComb = 20;  // switched off before every analysis

class ImpulseCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugin = testhost::PluginInstance::load();
        ASSERT_NE(plugin, nullptr);
        plugin->prepare(kRate, 512);

        // Every resonator on at a middle setting, one off.
        ProgramRecord start = program();
        for (int i = 0; i < kNumCombs; ++i) {
            CombSettings& c = start.combSettings[i];
            c.Out = 0.8f;
            c.Decay = 0.5f;
            c.Bright = 0.5f;
        }
        start.combSettings[kSilentComb].Out = 0.f;
        restore(start);
        before = program();
    }
    void restore(const ProgramRecord& record)
    {
        std::vector<uint8_t> bytes(sizeof(ProgramRecord));
        std::memcpy(bytes.data(), &record, sizeof(record));
        ASSERT_EQ(plugin->setChunk(bytes, true), 1);
    }
    void TearDown() override { plugin.reset(); }

    ProgramRecord program()
    {
        const std::vector<uint8_t> bytes = plugin->getChunk(true);
        ProgramRecord record;
        EXPECT_EQ(bytes.size(), sizeof(record));
        std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof(record)));
        return record;
    }

    // The next dialog runs `body` as its shell script.
    void answerDialog(const std::string& body)
    {
        tools.writeScript("zenity", body);
    }
    static std::string choose(const std::string& file) { return "printf '%s\\n' '" + file + "'"; }

    // Runs the command with the dialog answering `dialogBody`; the program afterwards.
    ProgramRecord runCommand(const std::string& dialogBody)
    {
        answerDialog(dialogBody);
        plugin->setParameter(45, 1.f);
        return program();
    }
    ProgramRecord analyse(const std::string& file) { return runCommand(choose(file)); }

    bool unchanged(const ProgramRecord& after) { return std::memcmp(&after, &before, sizeof(before)) == 0; }

    testhost::ScratchDirectory tools{"impulse", testhost::ScratchDirectory::kFirstOnPath};
    std::unique_ptr<testhost::PluginInstance> plugin;
    ProgramRecord before;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What one analysis gave, summed up over the resonators it left on.
struct Summary {
    double decaySeconds;  // median time for a resonator to fall by 1/e
    double bright;        // median Bright
    double lowOut;        // mean Out of resonators 30..59 (92..494 Hz)
    double highOut;       // mean Out of resonators 75..87 (1.2..2.5 kHz)
};

}  // namespace

TEST_F(ImpulseCommand, EveryRealFileGivesUsableSettings)
{
    std::map<std::string, Summary> summaries;
    for (const char* name : {"452845__loudernoises__clean-g-chord.wav", "juce_cello.wav", "juce_guitar_amp.wav",
                             "juce_reverb_ir.wav", "rakarrack_1_jcm200.wav", "rakarrack_2_superchamp.wav",
                             "webaudio_bells.wav", "webaudio_kitchen-true-stereo.wav", "webaudio_slit-drum-hi.wav"}) {
        SCOPED_TRACE(name);
        restore(before);
        const ProgramRecord after = analyse(kWavDir + name);
        ASSERT_FALSE(unchanged(after));

        // Only Decay, Bright and Out change, each to a finite value in 0..1.
        ProgramRecord others = after;
        std::vector<double> decaySeconds, bright;
        double lowOut = 0.0, highOut = 0.0;
        for (int i = 0; i < kNumCombs; ++i) {
            const CombSettings& c = after.combSettings[i];
            for (float v : {c.Decay, c.Bright, c.Out})
                ASSERT_TRUE(std::isfinite(v) && v >= 0.f && v <= 1.f) << "resonator " << i << ": " << v;
            CombSettings& o = others.combSettings[i];
            o.Decay = before.combSettings[i].Decay;
            o.Bright = before.combSettings[i].Bright;
            o.Out = before.combSettings[i].Out;
            if (i >= 30 && i < 60)
                lowOut += c.Out / 30.0;
            if (i >= 75)
                highOut += c.Out / 13.0;
            if (c.Out > 0.f && c.Decay > 0.f && c.Decay < c.Out) {
                // Decay / Out is the amplitude factor per period of Delay samples.
                decaySeconds.push_back(-c.Delay / kRate / std::log(c.Decay / c.Out));
                bright.push_back(c.Bright);
            }
        }
        EXPECT_TRUE(unchanged(others));  // pitches, names, every other setting
        const CombSettings& silent = after.combSettings[kSilentComb];
        EXPECT_TRUE(silent.Out == 0.f && silent.Decay == 0.f && silent.Bright == 0.f);
        ASSERT_GT(decaySeconds.size(), 40u);
        summaries[name] = {median(decaySeconds), median(bright), lowOut, highOut};
    }

    const auto& reverb = summaries["juce_reverb_ir.wav"];
    const auto& cabinet = summaries["rakarrack_1_jcm200.wav"];
    const auto& bells = summaries["webaudio_bells.wav"];
    const auto& slitDrum = summaries["webaudio_slit-drum-hi.wav"];
    const auto& chord = summaries["452845__loudernoises__clean-g-chord.wav"];
    // A 2.5 s room rings far longer than a 0.5 s speaker cabinet, and bells
    // far longer than a struck wooden drum (measured: 0.42 s against 0.06 s,
    // 0.72 s against 0.05 s).
    EXPECT_GT(reverb.decaySeconds, 3.0 * cabinet.decaySeconds);
    EXPECT_GT(bells.decaySeconds, 3.0 * slitDrum.decaySeconds);
    EXPECT_LT(reverb.decaySeconds, 2.5);
    // A guitar cabinet damps its upper harmonics; a room and bells much less.
    EXPECT_LT(cabinet.bright + 0.1, reverb.bright);
    EXPECT_LT(cabinet.bright + 0.1, bells.bright);
    // Out follows where the energy lies: a guitar chord's is low.
    EXPECT_GT(chord.lowOut, chord.highOut + 0.15);
}

TEST_F(ImpulseCommand, ExtremeTuningStillGivesUsableSettings)
{
    // This map puts resonators from about 0.001 Hz to far above the Nyquist
    // frequency: pitches whose harmonics all fall into the lowest bins, and
    // pitches with no bin at all.
    const std::string map = TOVARINE_TESTDATA_DIR "/tun/scaleworkshop_unittestscale.tun";
    answerDialog(choose(map));
    plugin->setParameter(45, 0.f);
    before = program();
    ASSERT_STREQ(before.tuningMapPath, map.c_str());
    const ProgramRecord after = analyse(kWavDir + "juce_guitar_amp.wav");
    ASSERT_FALSE(unchanged(after));
    for (int i = 0; i < kNumCombs; ++i) {
        const CombSettings& c = after.combSettings[i];
        for (float v : {c.Decay, c.Bright, c.Out})
            ASSERT_TRUE(std::isfinite(v) && v >= 0.f && v <= 1.f) << "resonator " << i << ": " << v;
    }
}

TEST_F(ImpulseCommand, RecordingIsMeasuredAtItsOwnRate)
{
    // A decaying 1760 Hz tone recorded at 44.1 kHz, analysed in a 48 kHz
    // host: resonator 81 (1760 Hz) must get it. Read at 48 kHz, the tone
    // would lie at 1916 Hz, between resonators 82 and 83.
    plugin->prepare(48000.f, 512);
    std::vector<float> tone(8192 + 2048 * 6);
    for (std::size_t n = 0; n < tone.size(); ++n)
        tone[n] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 1760.0 * n / 44100.0) * std::exp(-(n / 20000.0)));
    testwav::writeMono(tools.path() + "/tone.wav", tone);
    const ProgramRecord after = analyse(tools.path() + "/tone.wav");
    for (int other : {80, 82, 83})
        EXPECT_GT(after.combSettings[81].Out, 2.f * after.combSettings[other].Out) << other;
}

TEST_F(ImpulseCommand, RefusedChoicesChangeNothing)
{
    // Cancelled (the dialog's arguments are kept), a path that names nothing,
    // a file that is no WAV, and a recording of one analysis frame, too short
    // to measure a decay.
    std::ofstream(tools.path() + "/text.wav") << "not a recording\n";
    testwav::writeMono(tools.path() + "/one-frame.wav", std::vector<float>(8192 + 2048, 0.25f));
    const std::string arguments = tools.path() + "/arguments";
    for (const std::string& dialog : {"printf '%s\\n' \"$@\" > '" + arguments + "'; exit 1", choose(tools.path() + "/missing.wav"),
                                      choose(tools.path() + "/text.wav"), choose(tools.path() + "/one-frame.wav")}) {
        SCOPED_TRACE(dialog);
        EXPECT_TRUE(unchanged(runCommand(dialog)));
    }

    std::ifstream in(arguments);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"--file-selection", "--title=Open a .WAV File",
                                               "--file-filter=WAV files (*.wav) | *.wav"}));
}
