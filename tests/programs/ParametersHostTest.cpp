// Parameters, program names and chunks as a host sees them, through the
// plug-in's binary interface.
#include "programs/ProgramRecord.h"
#include "tests/testhost/DialogCancel.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

using testhost::PluginInstance;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::unique_ptr<PluginInstance> loadPlugin()
{
    auto p = PluginInstance::load();
    if (p)
        p->prepare(44100.f, 512);
    return p;
}

ProgramRecord recordOf(const std::vector<uint8_t>& bytes, int index = 0)
{
    ProgramRecord r;
    std::memcpy(&r, bytes.data() + sizeof(ProgramRecord) * index, sizeof(ProgramRecord));
    return r;
}

void putRecord(std::vector<uint8_t>& bytes, int index, const ProgramRecord& r)
{
    std::memcpy(bytes.data() + sizeof(ProgramRecord) * index, &r, sizeof(r));
}

TEST(ParametersHost, NamesLabelsDisplaysAndValues)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    const std::map<int, std::string> named = {
        {20, "Fb Lvl."}, {21, "Fb Vel."}, {22, "Fb Dist."}, {23, "Fb Cut."}, {25, "Fb Dsc"},   {26, "Fb Attk"},
        {27, "Fb Decy"}, {28, "Fb Sust"}, {29, "Fb Rels"},  {30, "Out Lvl"}, {31, "Mix (Wet)"},
    };
    for (int k = 0; k < kNumParams; ++k) {
        const auto it = named.find(k);
        EXPECT_EQ(p->parameterName(k), it != named.end() ? it->second : "paramname") << k;
        EXPECT_EQ(p->parameterLabel(k), "        ") << k;
        p->setParameter(k, 0.123456f);
        EXPECT_EQ(p->parameterDisplay(k), "0.1235") << k;  // the mode parameters too
        EXPECT_EQ(p->getParameter(k), 0.123456f) << k;      // as set: a host can write back what it read
        EXPECT_EQ(recordOf(p->getChunk(true)).fParams[k], 0.123456f) << k;
    }
    // A host running in a decimal-comma locale still gets a point.
    for (const char* candidate : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
        if (std::setlocale(LC_NUMERIC, candidate))
            break;
    p->setParameter(32, 0.2f);
    EXPECT_EQ(p->parameterDisplay(32), "0.2000");
    EXPECT_EQ(p->getParameter(32), 0.2f);
    std::setlocale(LC_NUMERIC, "C");
    // Outside 0..42 nothing is read: empty texts, value 0.
    for (int k : {-1, 43, 44, 47, 1000000}) {
        EXPECT_EQ(p->parameterName(k) + p->parameterLabel(k) + p->parameterDisplay(k), "") << k;
        EXPECT_EQ(p->getParameter(k), 0.f) << k;
    }
    // Values outside 0..1 are saved as given; those the engine reads are limited to 0..1.
    p->setParameter(30, 1e9f);
    EXPECT_EQ(p->getParameter(30), 1.f);
    p->setParameter(7, 1.5f);
    EXPECT_EQ(p->getParameter(7), 1.5f);
}

TEST(ParametersHost, MeaninglessCommandsAndNonFiniteValuesChangeNothing)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    const std::vector<uint8_t> before = p->getChunk(false);
    std::vector<float> values;
    for (int k = 0; k < kNumParams; ++k)
        values.push_back(p->getParameter(k));

    for (float v : {2.f, 0.5f, 7.f, 15.f, -3.f, kNaN, kInf})
        p->setParameter(45, v);
    for (float v : {6.f, -1.f, 0.5f, kNaN})
        p->setParameter(46, v);
    for (int k : {-1, 43, 44, 47})
        p->setParameter(k, 0.5f);
    for (int k = 0; k < kNumParams; ++k)
        for (float v : {kNaN, kInf, -kInf})
            p->setParameter(k, v);
    EXPECT_EQ(p->getChunk(false), before);
    for (int k = 0; k < kNumParams; ++k)
        EXPECT_EQ(p->getParameter(k), values[k]) << k;
}

TEST(ParametersHost, FactoryProgramZeroAtStartAndSelection)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    // Writing back what a factory program answers changes no stored byte.
    for (int program : {0, 1, 2, 3, 4, 0}) {
        p->dispatch(effSetProgram, 0, program);
        const std::vector<uint8_t> bank = p->getChunk(false);
        for (int k = 0; k < kNumParams; ++k)
            p->setParameter(k, p->getParameter(k));
        EXPECT_EQ(p->getChunk(false), bank) << program;
    }
    EXPECT_EQ(p->dispatch(effGetProgram), 0);
    const char* names[] = {"Simple Panning Reverb", "Play On Ch 1", "Play Ch 2 Percussive",
                           "Play Ch 2 Drone/Whistle", "Init", "Init"};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(p->programNameIndexed(k), names[k]);
    EXPECT_FLOAT_EQ(p->getParameter(1), 0.21429f);
    EXPECT_FLOAT_EQ(p->getParameter(31), 0.50786f);
    EXPECT_FLOAT_EQ(p->getParameter(42), 0.1f);

    // Selection applies 0..34; 35..42 keep the previous program's values.
    std::vector<uint8_t> bank = p->getChunk(false);
    ProgramRecord six = recordOf(bank, 6);
    for (int k = 0; k < kNumParams; ++k)
        six.fParams[k] = 0.25f + 0.001f * static_cast<float>(k);
    putRecord(bank, 6, six);
    ASSERT_EQ(p->setChunk(bank, false), 1);
    p->setParameter(40, 0.9f);
    p->dispatch(effSetProgram, 0, 6);
    EXPECT_EQ(p->dispatch(effGetProgram), 6);
    EXPECT_EQ(p->getParameter(1), 0.f);  // re-applying its tuning selects the pitch type
    for (int k = 2; k < 35; ++k)
        EXPECT_EQ(p->getParameter(k), six.fParams[k]) << k;
    EXPECT_FLOAT_EQ(p->getParameter(40), 0.9f);
    p->dispatch(effSetProgram, 0, 32);
    EXPECT_EQ(p->dispatch(effGetProgram), 6);

    char thirty[] = "abcdefghijklmnopqrstuvwxyz0123";
    p->dispatch(effSetProgramName, 0, 0, thirty);
    EXPECT_EQ(p->programName(), "abcdefghijklmnopqrstuvw");
    EXPECT_EQ(p->programNameIndexed(6), "abcdefghijklmnopqrstuvw");
}

TEST(ChunksHost, RoundTripsAreByteIdenticalAndWrongSizesAreRefused)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    std::vector<uint8_t> bank = p->getChunk(false);
    ASSERT_EQ(bank.size(), 249472u);
    // Engine-only words and the bytes after each name's NUL carry a pattern.
    for (int k = 0; k < kNumPrograms; ++k) {
        ProgramRecord r = recordOf(bank, k);
        for (CombSettings& c : r.combSettings) {
            c.envAttackSamples = 1000 * k;
            c.envDecaySamples = -7;
            c.envReleaseSamples = 0x12345678;
        }
        const std::size_t n = std::strlen(r.name);
        std::memset(r.name + n + 1, 'q', sizeof(r.name) - n - 1);
        putRecord(bank, k, r);
    }
    ASSERT_EQ(p->setChunk(bank, false), 1);
    EXPECT_EQ(p->getChunk(false), bank);

    p->dispatch(effSetProgram, 0, 7);  // retunes program 7: compare with the bank as it is now
    const std::vector<uint8_t> seven = p->getChunk(true);
    ASSERT_EQ(seven.size(), 7796u);
    const std::vector<uint8_t> bankNow = p->getChunk(false);
    EXPECT_TRUE(std::equal(seven.begin(), seven.end(), bankNow.begin() + 7 * 7796));
    ASSERT_EQ(p->setChunk(seven, true), 1);
    EXPECT_EQ(p->getChunk(false), bankNow);

    for (std::size_t size : {0u, 1u, 7795u, 7797u, 249471u, 249473u}) {
        const std::vector<uint8_t> junk(size, 0xAB);
        EXPECT_EQ(p->setChunk(junk, true), 0) << size;
        EXPECT_EQ(p->setChunk(junk, false), 0) << size;
    }
    EXPECT_EQ(p->setChunk(seven, false), 0);  // a program is not a bank
    EXPECT_EQ(p->dispatch(effSetChunk, 0, 249472, nullptr), 0);
    EXPECT_EQ(p->getChunk(false), bankNow);
    EXPECT_EQ(p->dispatch(effGetProgram), 7);
}

TEST(ChunksHost, RestoredProgramIsReloadedAndBrokenContentStaysSafe)
{
    const testhost::FileDialogsCancelled noDialogs;  // the restored tuning path names no file
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    p->dispatch(effSetProgram, 0, 3);
    ProgramRecord r = recordOf(p->getChunk(true));
    r.fParams[20] = 0.321f;
    r.fParams[21] = kNaN;
    r.combSettings[4].Decay = kInf;
    std::memset(r.name, 'N', sizeof(r.name));  // no NUL in any text
    std::memset(r.tuningMapPath, 'P', sizeof(r.tuningMapPath));
    std::memset(r.version, 'V', sizeof(r.version));
    const auto* bytes = reinterpret_cast<const uint8_t*>(&r);
    ASSERT_EQ(p->setChunk(std::vector<uint8_t>(bytes, bytes + sizeof(r)), true), 1);

    EXPECT_EQ(p->dispatch(effGetProgram), 3);
    EXPECT_FLOAT_EQ(p->getParameter(20), 0.321f);
    EXPECT_TRUE(std::isfinite(p->getParameter(21)));
    EXPECT_EQ(p->programName(), std::string(23, 'N'));
    const ProgramRecord back = recordOf(p->getChunk(true));
    EXPECT_TRUE(std::isfinite(back.combSettings[4].Decay));
    EXPECT_LT(std::strlen(back.tuningMapPath), sizeof(back.tuningMapPath));
    EXPECT_LT(std::strlen(back.version), sizeof(back.version));

    std::vector<float> left(4096, 0.f), right(4096, 0.f), in(4096, 0.f);
    in[0] = 1.f;
    p->processReplacing(left, right, 512, &in, &in);
    for (float v : left)
        ASSERT_TRUE(std::isfinite(v));
}

}  // namespace
