// The factory bank checked against its tables written the way a sound
// designer lists them ("0.96 except 0: 0.635, 21..25: 1.0"): each cell is
// parsed here, so a slip in the data table shows up as a mismatch rather
// than being copied.
#include "programs/FactoryPresets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// "0.96 except 0: 0.635, 21..25: 1.0" or "ramp except ..." (ramp = 0.15 + 0.002 i).
std::vector<double> expand(const std::string& cell)
{
    std::vector<double> v(kNumCombs);
    std::string rest;
    const std::size_t except = cell.find(" except ");
    const std::string base = cell.substr(0, except);
    for (int i = 0; i < kNumCombs; ++i)
        v[i] = base == "ramp" ? 0.15 + 0.002 * i : std::strtod(base.c_str(), nullptr);
    if (except == std::string::npos)
        return v;
    rest = cell.substr(except + 8);
    std::size_t pos = 0;
    while (pos < rest.size()) {
        std::size_t end = rest.find(',', pos);
        if (end == std::string::npos)
            end = rest.size();
        const std::string item = rest.substr(pos, end - pos);
        int first = 0, last = 0;
        double value = 0;
        if (std::sscanf(item.c_str(), " %d..%d: %lf", &first, &last, &value) != 3) {
            last = -1;
            EXPECT_EQ(std::sscanf(item.c_str(), " %d: %lf", &first, &value), 2) << item;
            last = first;
        }
        for (int i = first; i <= last; ++i)
            v[i] = value;
        pos = end + 1;
    }
    return v;
}

const std::string kRunA =
    "0: 0.435, 1: 0.9, 2: 0.485, 3: 0.505, 4: 0.53, 5: 0.56, 6: 0.58, 7: 0.6, 8: 0.61, 9: 0.615, 10: 0.62, "
    "11: 0.63, 12: 0.635, 13: 0.65, 14: 0.66, 15: 0.67, 16: 0.685, 17: 0.685, 18: 0.69, 19: 0.695, 20: 0.7, "
    "21: 0.71, 22: 0.715, 23: 0.72, 24: 0.72, 25: 0.73, 26: 0.735, 27: 0.74, 28: 0.745, 29: 0.745, 30: 0.745, "
    "33: 0.66, 34: 0.66, 35: 0.65, 36: 0.65, 37: 0.645";
const std::string kRunB =
    "19: 0.055, 20: 0.045, 21: 0.06, 22: 0.06, 23: 0.065, 24: 0.07, 25: 0.07, 26: 0.075, 27: 0.075, 28: 0.08, "
    "29: 0.08, 30: 0.085, 31: 0.09, 32: 0.1, 33: 0.105, 34: 0.11, 35: 0.115, 36: 0.125, 37: 0.13, 38: 0.13, "
    "39: 0.13, 40: 0.135, 41: 0.14, 42: 0.145, 43: 0.145, 44: 0.15, 45..49: 0.16, 50: 0.11, 51: 0.095";
const std::string kRunC =
    "0: 0.27, 1: 0.285, 2: 0.29, 3: 0.3, 4: 0.305, 5: 0.31, 6: 0.315, 7: 0.32, 8: 0.32, 9: 0.325, 10: 0.33, "
    "11: 0.34, 12: 0.35, 13: 0.35, 14: 0.365, 15: 0.375, 16: 0.385, 17: 0.395, 18: 0.41, 19: 0.415, 20: 0.425, "
    "21: 0.435, 22: 0.445, 23: 0.46, 24: 0.47, 25: 0.485, 26: 0.49, 27: 0.495, 28: 0.51, 29: 0.515, "
    "58..66: 0.515, 67: 0.51, 68: 0.505, 69: 0.485, 70: 0.46, 71: 0.425, 72: 0.4, 73: 0.38, 74: 0.37, "
    "75: 0.37, 76: 0.39, 77: 0.385, 78: 0.38, 79: 0.38, 80..87: 0.375";
const std::string kRunD =
    "15..32: 0.955, 33: 0.94, 34: 0.955, 35: 0.96, 36: 0.96, 37: 0.95, 38: 0.96, 39: 0.96, 40: 0.97, "
    "41: 0.965, 42: 0.98, 43: 0.985, 44: 0.99, 45: 0.97, 46: 0.975, 47: 0.999, 48: 0.975, 49: 0.98, "
    "50: 0.999, 51: 0.985, 52: 0.99, 53: 0.995, 54..56: 0.999";
const std::string kRunE =
    "20: 0.06, 21: 0.08, 22: 0.1, 23: 0.12, 25: 0.13, 27: 0.15, 28: 0.165, 30: 0.175, 31: 0.18, 32: 0.19, "
    "33: 0.19, 34: 0.205, 35: 0.215, 36: 0.23, 37: 0.245";
const std::string kRunF =
    "11: 0.765, 12: 0.785, 13: 0.81, 14: 0.815, 15: 0.825, 16: 0.83, 17: 0.845, 18: 0.82, 19: 0.845, "
    "20: 0.85, 21: 0.865, 22: 0.875, 23: 0.89, 24: 0.9, 25: 0.905, 26: 0.91, 27: 0.915, 28: 0.925, "
    "29: 0.925, 30: 0.93, 31: 0.935, 32: 0.94, 33: 0.94, 34: 0.955, 35: 0.955, 36: 0.96, 37: 0.97, 38: 0.97";

struct FieldRow {
    const char* name;
    float CombSettings::* field;
    std::string cells[5];
};

const std::vector<FieldRow>& fieldTable()
{
    static const std::vector<FieldRow> rows = {
        {"Decay", &CombSettings::Decay,
         {"0.96 except 0: 0.635, 1: 0.76, 21: 0.865, 22: 0.89, 23: 0.915, 24: 0.935", "0.99", "0.96", "0.96", "0.96"}},
        {"Stiff", &CombSettings::Stiff, {"0 except " + kRunA, "0", "0", "0", "0"}},
        {"Bright", &CombSettings::Bright,
         {"0.85 except 0: 0.51, 1: 0.74, 21: 0.745, 22: 0.765, 23: 0.8, 24: 0.83, 25: 0.865",
          "0.85 except 21: 0.99, 22..49: 0.999, 50: 0.955, 51: 0.95", "0.85", "0.85", "0.85"}},
        {"LFOfreq", &CombSettings::LFOfreq,
         {"ramp except 0: 0.03, 21: 0.095, 23: 0.755, 24: 0.05", "ramp except " + kRunB, "ramp except " + kRunE,
          "ramp", "ramp"}},
        {"Out", &CombSettings::Out,
         {"0 except 0: 0.999, 1: 0.999, 21..25: 1.0", "0 except 21..49: 1", "0 except 21..28: 1",
          "0 except 21..32: 1", "0 except 21..49: 1"}},
        {"inPan", &CombSettings::inPan, {"0.5", "0.5", "0", "0", "0"}},
        {"Pan", &CombSettings::Pan,
         {"0.1 except 0: 0.78, 20: 0.915, 21: 0.925, 22: 0.94, 23: 0.945, 24: 0.95, 25: 0.955, 26: 0.96, "
          "27..29: 0.795",
          "0.52 except " + kRunC, "0.1 except " + kRunF, "0.1", "0.1"}},
        {"PanPos", &CombSettings::PanPos, {"0.5", "0.5", "0", "0", "0"}},
        {"LFO2Dec", &CombSettings::LFO2Dec,
         {"0.5 except 0: 0.435, 21: 0.55, 22: 0.47, 23: 0.55, 25: 0.53", "0.5", "0", "0", "0"}},
        {"envRelease", &CombSettings::envRelease, {"0.5", "0.5 except " + kRunD, "0", "0", "0"}},
        {"Velocity", &CombSettings::Velocity, {"0.5", "0.999", "0", "0", "0"}},
        {"envAttack", &CombSettings::envAttack, {"0.4", "0.4", "0.4", "0.4", "0.4"}},
        {"envDecay", &CombSettings::envDecay, {"0.4", "0.4", "0.4", "0.4", "0.4"}},
        {"envSustain", &CombSettings::envSustain, {"0.7", "0.7", "0.7", "0.7", "0.7"}},
        {"Velocity2Pitch", &CombSettings::Velocity2Pitch, {"0", "0", "0", "0", "0"}},
        {"PitchGlide", &CombSettings::PitchGlide, {"0", "0", "0", "0", "0"}},
    };
    return rows;
}

// Global parameters; the placeholder words are 0.
const std::map<int, std::vector<double>> kGlobals = {
    {1, {0.21429, 0, 0, 0, 0}},           {12, {0.5, 0.5, 0, 0, 0}},
    {17, {0.5, 0.5, 0, 0, 0}},            {20, {0.1, 0.30322, 1.0, 0.68079, 0.1}},
    {21, {0.5, 0.5, 1.0, 0, 0}},          {22, {0.5, 0.66667, 0.99584, 0.59839, 0}},
    {23, {0.3, 0.42721, 0.36657, 0.26506, 0.3}}, {24, {0.8, 0.96989, 0.133, 0.58457, 0.8}},
    {25, {0.1, 0.77803, 1.0, 0.32602, 0.1}}, {26, {0, 0.16667, 0.21865, 0.25044, 0}},
    {27, {0.05, 0.18296, 0.22197, 0.48487, 0.05}}, {28, {0.02, 0.42599, 0.6285, 0.88146, 0.02}},
    {29, {0.1, 0.23494, 0, 0.24741, 0.1}}, {30, {1.0, 0.78693, 1.0, 1.0, 1.0}},
    {31, {0.50786, 1.0, 1.0, 1.0, 1.0}},  {32, {0, 0, 0, 0, 0}},
    {33, {0, 0, 0, 0, 0}},                {34, {0.2, 0, 0.4, 0.2, 0.2}},
};
const std::map<int, double> kSharedGlobals = {
    {0, 0},     {3, 0},     {4, 0.95},  {5, 0.95},  {6, 0},     {7, 0.98},  {8, 0.01144},
    {9, 0.003}, {10, 0.05921}, {11, 1.0}, {14, 0.98}, {15, 0},  {42, 0.1},
};

class FactoryBank : public ::testing::Test {
protected:
    void SetUp() override { fillFactoryPresets(programs.data()); }
    std::vector<ProgramRecord> programs = std::vector<ProgramRecord>(kNumPrograms);
};

TEST_F(FactoryBank, NamesPathsAndVersions)
{
    const char* names[] = {"Simple Panning Reverb", "Play On Ch 1", "Play Ch 2 Percussive",
                           "Play Ch 2 Drone/Whistle", "Init"};
    for (int p = 0; p < kNumPrograms; ++p) {
        const ProgramRecord& r = programs[p];
        EXPECT_STREQ(r.name, p < 5 ? names[p] : "Init") << p;
        EXPECT_STREQ(r.tuningMapPath, p == 0 ? "*standard" : "") << p;
        EXPECT_STREQ(r.version, p < 5 ? "1.0" : "1.2") << p;
    }
    EXPECT_EQ(std::strlen(programs[3].name), 23u);  // fills the field with its NUL
}

TEST_F(FactoryBank, GlobalParametersAsTabulated)
{
    for (int p = 0; p < 5; ++p) {
        for (int k = 0; k < kNumParams; ++k) {
            double expected = 0;  // placeholder words
            if (auto it = kGlobals.find(k); it != kGlobals.end())
                expected = it->second[p];
            else if (auto s = kSharedGlobals.find(k); s != kSharedGlobals.end())
                expected = s->second;
            EXPECT_EQ(programs[p].fParams[k], static_cast<float>(expected)) << "program " << p << " param " << k;
        }
    }
}

TEST_F(FactoryBank, ResonatorFieldsAndRunsAsTabulated)
{
    for (const FieldRow& row : fieldTable()) {
        for (int p = 0; p < 5; ++p) {
            const std::vector<double> expected = expand(row.cells[p]);
            for (int i = 0; i < kNumCombs; ++i)
                ASSERT_EQ(programs[p].combSettings[i].*row.field, static_cast<float>(expected[i]))
                    << row.name << " program " << p << " resonator " << i;
        }
    }
}

TEST_F(FactoryBank, StandardPitchesStoredWithFiveDecimals)
{
    for (int p = 0; p < 5; ++p) {
        for (int i = 0; i < kNumCombs; ++i) {
            const CombSettings& c = programs[p].combSettings[i];
            const double f = 440.0 * std::pow(2.0, (i + 12 - 69) / 12.0);
            const double pitch = (p == 0 && i == 0) ? 0.03 : std::log(f / 4) / std::log(1024.0);
            EXPECT_NEAR(c.normalPitch, pitch, 5.1e-6) << p << " " << i;
            EXPECT_NEAR(c.Delay, 44100.0 / f, 5e-6 + 1e-6 * 44100.0 / f) << p << " " << i;
            EXPECT_EQ(c.envAttackSamples, 0);  // engine-only words are not written
        }
    }
    EXPECT_NEAR(programs[0].combSettings[0].Delay, 2696.98, 0.01);
}

TEST_F(FactoryBank, LaterProgramsKeepTheDefaultRecord)
{
    const ProgramRecord defaults;
    for (int p = 5; p < kNumPrograms; ++p)
        EXPECT_EQ(std::memcmp(&programs[p], &defaults, sizeof(ProgramRecord)), 0) << p;
}

}  // namespace
