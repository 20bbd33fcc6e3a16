// Parameters, program names and chunks as a host sees them, through the
// plug-in's binary interface.
#include "programs/ProgramRecord.h"
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

std::unique_ptr<PluginInstance> loadPlugin()
{
    auto p = PluginInstance::load();
    EXPECT_NE(p, nullptr);
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

std::vector<uint8_t> bytesOf(const ProgramRecord& r)
{
    const auto* b = reinterpret_cast<const uint8_t*>(&r);
    return std::vector<uint8_t>(b, b + sizeof(r));
}

TEST(ParametersHost, NamesLabelsAndDisplaysOfAllParameters)
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
        EXPECT_EQ(p->parameterDisplay(k), "0.1235") << k;
    }
    // A host running in a decimal-comma locale still gets a point.
    for (const char* candidate : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
        if (std::setlocale(LC_NUMERIC, candidate))
            break;
    p->setParameter(20, 0.5f);
    EXPECT_EQ(p->parameterDisplay(20), "0.5000");
    std::setlocale(LC_NUMERIC, "C");
    // Outside 0..42: nothing is read, the texts are empty, the value is 0.
    for (int k : {-1, 43, 44, 47, 1000000}) {
        EXPECT_EQ(p->parameterName(k), "") << k;
        EXPECT_EQ(p->parameterLabel(k), "") << k;
        EXPECT_EQ(p->parameterDisplay(k), "") << k;
        EXPECT_EQ(p->getParameter(k), 0.f) << k;
    }
}

TEST(ParametersHost, ValuesAreStoredAsGivenAndModesAnswerTheirItemNumber)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    for (int k = 0; k < kNumParams; ++k) {
        const float v = 0.01f * static_cast<float>(k) + 0.005f;
        p->setParameter(k, v);
        const bool isMode = k >= 32 && k <= 34;
        EXPECT_FLOAT_EQ(p->getParameter(k), isMode ? v * 10.f : v) << k;
        EXPECT_EQ(recordOf(p->getChunk(true)).fParams[k], v) << k;  // saved with the program
    }
    p->setParameter(32, 0.2f);
    EXPECT_FLOAT_EQ(p->getParameter(32), 2.f);
    EXPECT_EQ(p->parameterDisplay(32), "0.2000");
    p->setParameter(33, 0.7f);
    EXPECT_FLOAT_EQ(p->getParameter(33), 7.f);
    // Values outside 0..1 are saved as given; the parameters the engine reads are limited to 0..1.
    p->setParameter(30, 1e9f);
    EXPECT_EQ(p->getParameter(30), 1.f);
    p->setParameter(31, -2.f);
    EXPECT_EQ(p->getParameter(31), 0.f);
    EXPECT_EQ(recordOf(p->getChunk(true)).fParams[31], -2.f);
    p->setParameter(7, 1.5f);  // no reader: kept as it is
    EXPECT_EQ(p->getParameter(7), 1.5f);
}

TEST(ParametersHost, CommandsWithoutAMeaningAndNonFiniteValuesChangeNothing)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    const std::vector<uint8_t> before = p->getChunk(false);
    std::vector<float> values;
    for (int k = 0; k < kNumParams; ++k)
        values.push_back(p->getParameter(k));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float v : {2.f, 0.5f, 7.f, 15.f, -3.f, 100.f, nan, inf})
        p->setParameter(45, v);
    for (float v : {6.f, -1.f, 0.5f, 2.5f, nan})
        p->setParameter(46, v);
    for (int k : {-1, 43, 44, 47, 99})
        p->setParameter(k, 0.5f);
    for (int k = 0; k < kNumParams; ++k) {
        p->setParameter(k, nan);
        p->setParameter(k, inf);
        p->setParameter(k, -inf);
    }
    EXPECT_EQ(p->getChunk(false), before);
    for (int k = 0; k < kNumParams; ++k)
        EXPECT_EQ(p->getParameter(k), values[k]) << k;
}

TEST(ParametersHost, FactoryBankAndProgramZeroAtStart)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->dispatch(effGetProgram), 0);
    const char* names[] = {"Simple Panning Reverb", "Play On Ch 1", "Play Ch 2 Percussive",
                           "Play Ch 2 Drone/Whistle", "Init", "Init"};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(p->programNameIndexed(k), names[k]);
    EXPECT_EQ(p->programName(), "Simple Panning Reverb");
    EXPECT_FLOAT_EQ(p->getParameter(1), 0.21429f);
    EXPECT_FLOAT_EQ(p->getParameter(31), 0.50786f);
    EXPECT_FLOAT_EQ(p->getParameter(34), 2.f);
    EXPECT_FLOAT_EQ(p->getParameter(42), 0.1f);
    const ProgramRecord zero = recordOf(p->getChunk(true));
    EXPECT_STREQ(zero.tuningMapPath, "*standard");
    EXPECT_STREQ(zero.version, "1.0");
    EXPECT_STREQ(recordOf(p->getChunk(false), 5).version, "1.2");
}

TEST(ParametersHost, SelectingAProgramAppliesParametersUpTo34)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    std::vector<uint8_t> bank = p->getChunk(false);
    ProgramRecord six = recordOf(bank, 6);
    for (int k = 0; k < kNumParams; ++k)
        six.fParams[k] = 0.25f + 0.001f * static_cast<float>(k);
    std::memcpy(bank.data() + 6 * sizeof(ProgramRecord), &six, sizeof(six));
    ASSERT_EQ(p->setChunk(bank, false), 1);

    p->setParameter(40, 0.9f);
    p->dispatch(effSetProgram, 0, 6);
    EXPECT_EQ(p->dispatch(effGetProgram), 6);
    EXPECT_EQ(p->getParameter(1), 0.f);  // re-applying its tuning selects the pitch type
    for (int k = 2; k < 35; ++k) {
        const float stored = six.fParams[k];
        EXPECT_FLOAT_EQ(p->getParameter(k), (k >= 32 ? stored * 10.f : stored)) << k;
    }
    EXPECT_FLOAT_EQ(p->getParameter(40), 0.9f);  // 35..42 keep the previous program's values
    p->dispatch(effSetProgram, 0, 32);           // out of range: ignored
    EXPECT_EQ(p->dispatch(effGetProgram), 6);
}

TEST(ParametersHost, ProgramNamesAreCutTo23Characters)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    char twelve[] = "Twelve chars";
    p->dispatch(effSetProgramName, 0, 0, twelve);
    EXPECT_EQ(p->programName(), "Twelve chars");
    char thirty[] = "abcdefghijklmnopqrstuvwxyz0123";
    p->dispatch(effSetProgramName, 0, 0, thirty);
    EXPECT_EQ(p->programName(), "abcdefghijklmnopqrstuvw");
    EXPECT_EQ(p->programNameIndexed(0), "abcdefghijklmnopqrstuvw");
}

TEST(ChunksHost, BankAndProgramRoundTripsAreByteIdentical)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    std::vector<uint8_t> bank = p->getChunk(false);
    ASSERT_EQ(bank.size(), 249472u);
    // Fill every engine-only word and the bytes after each text's NUL with a pattern.
    for (int k = 0; k < kNumPrograms; ++k) {
        ProgramRecord r = recordOf(bank, k);
        for (int i = 0; i < kNumCombs; ++i) {
            r.combSettings[i].envAttackSamples = 1000 * k + i;
            r.combSettings[i].envDecaySamples = -7;
            r.combSettings[i].envReleaseSamples = 0x12345678;
        }
        std::memset(r.name + std::strlen(r.name) + 1, 'q', sizeof(r.name) - std::strlen(r.name) - 1);
        std::memcpy(bank.data() + k * sizeof(ProgramRecord), &r, sizeof(r));
    }
    ASSERT_EQ(p->setChunk(bank, false), 1);
    EXPECT_EQ(p->getChunk(false), bank);

    p->dispatch(effSetProgram, 0, 7);  // retunes its resonators, so compare with the bank as it is now
    const std::vector<uint8_t> seven = p->getChunk(true);
    ASSERT_EQ(seven.size(), 7796u);
    const std::vector<uint8_t> bankNow = p->getChunk(false);
    EXPECT_TRUE(std::equal(seven.begin(), seven.end(), bankNow.begin() + 7 * 7796));
    ASSERT_EQ(p->setChunk(seven, true), 1);
    EXPECT_EQ(p->getChunk(true), seven);
    EXPECT_EQ(p->dispatch(effGetProgram), 7);
}

TEST(ChunksHost, WrongSizesAreRefusedAndChangeNothing)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    p->setParameter(20, 0.77f);
    const std::vector<uint8_t> before = p->getChunk(false);
    for (std::size_t size : {0u, 1u, 7795u, 7797u, 249471u, 249473u}) {
        std::vector<uint8_t> junk(size, 0xAB);
        EXPECT_EQ(p->setChunk(junk, true), 0) << size;
        EXPECT_EQ(p->setChunk(junk, false), 0) << size;
    }
    std::vector<uint8_t> program(7796, 0);
    EXPECT_EQ(p->setChunk(program, false), 0);  // a program chunk is not a bank
    EXPECT_EQ(p->dispatch(effSetChunk, 0, 249472, nullptr), 0);
    EXPECT_EQ(p->getChunk(false), before);
    EXPECT_FLOAT_EQ(p->getParameter(20), 0.77f);
}

TEST(ChunksHost, RestoredProgramIsReloadedAndBrokenTextsStayBounded)
{
    auto p = loadPlugin();
    ASSERT_TRUE(p);
    p->dispatch(effSetProgram, 0, 3);
    ProgramRecord r = recordOf(p->getChunk(true));
    r.fParams[20] = 0.321f;
    r.fParams[34] = 0.3f;
    r.fParams[21] = std::numeric_limits<float>::quiet_NaN();
    r.combSettings[4].Decay = std::numeric_limits<float>::infinity();
    std::memset(r.name, 'N', sizeof(r.name));                    // no NUL
    std::memset(r.tuningMapPath, 'P', sizeof(r.tuningMapPath));  // no NUL either
    std::memset(r.version, 'V', sizeof(r.version));
    ASSERT_EQ(p->setChunk(bytesOf(r), true), 1);

    EXPECT_EQ(p->dispatch(effGetProgram), 3);
    EXPECT_FLOAT_EQ(p->getParameter(20), 0.321f);
    EXPECT_FLOAT_EQ(p->getParameter(34), 3.f);
    EXPECT_TRUE(std::isfinite(p->getParameter(21)));
    EXPECT_EQ(p->programName(), std::string(23, 'N'));
    EXPECT_EQ(p->programNameIndexed(3), std::string(23, 'N'));
    const ProgramRecord back = recordOf(p->getChunk(true));
    EXPECT_TRUE(std::isfinite(back.combSettings[4].Decay));
    EXPECT_LT(std::strlen(back.version), sizeof(back.version));
    EXPECT_LT(std::strlen(back.tuningMapPath), sizeof(back.tuningMapPath));
    // Still makes sound without NaN.
    std::vector<float> l(4096, 0.f), r2(4096, 0.f), in(4096, 0.f);
    in[0] = 1.f;
    p->processReplacing(l, r2, 512, &in, &in);
    for (float v : l)
        ASSERT_TRUE(std::isfinite(v));
}

}  // namespace
