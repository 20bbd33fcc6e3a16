// The parameter model's derived engine values, per-resonator settings, the
// nudge, reset and sync commands, checked on an engine object directly.
#include "engine/ResonatorEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {

std::unique_ptr<ResonatorEngine> makeEngine(float sampleRate = 44100.f)
{
    auto e = std::make_unique<ResonatorEngine>(nullptr);
    e->setSampleRate(sampleRate);
    return e;
}

double coefficient(float v)
{
    return std::pow(static_cast<double>(v), 0.3400000035762787);
}

// A value of parameter 1 that selects per-resonator type t (floor(p * 14.5 + 3) = t).
float selecting(int t)
{
    return (static_cast<float>(t) - 3.f + 0.5f) / 14.5f;
}

TEST(EngineParameters, FeedbackLengthsFollowAFixed44100Hz)
{
    for (float rate : {22050.f, 44100.f, 96000.f}) {
        auto e = makeEngine(rate);
        e->setParameter(26, 0.5f);
        e->applyPendingChanges();
        EXPECT_EQ(e->feedback.fbAttackSamples, 11026);  // 11025 exactly, lifted by the 1e-12
        e->setParameter(26, 1.f);
        e->applyPendingChanges();
        EXPECT_EQ(e->feedback.fbAttackSamples, 44100);
        e->setParameter(27, 0.1f);
        e->applyPendingChanges();
        EXPECT_EQ(e->feedback.fbDecaySamples, 442);
        e->setParameter(29, 0.f);
        e->applyPendingChanges();
        EXPECT_EQ(e->feedback.fbReleaseSamples, 1);
        e->setParameter(25, 0.f);
        e->applyPendingChanges();
        EXPECT_EQ(e->feedback.glideSamples, 1.f);
        e->setParameter(25, 0.5f);
        e->applyPendingChanges();
        EXPECT_EQ(e->feedback.glideSamples, 11026.f);
        e->setParameter(22, 0.5f);
        e->applyPendingChanges();
        EXPECT_EQ(e->feedback.fbDistortion, 0.25f);
    }
    auto e = makeEngine();
    e->setParameter(27, 1e6f);  // beyond the interface's range: the engine uses 1
    e->applyPendingChanges();
    EXPECT_EQ(e->feedback.fbDecaySamples, 44100);
    EXPECT_EQ(e->getParameter(27), 1.f);
}

TEST(EngineParameters, CombSettingsAreClampedAndWrittenToBothCopies)
{
    auto e = makeEngine();
    ProgramRecord& record = e->getPrograms()[0];
    e->setCombParameter(5, 4, 1.7f);
    EXPECT_EQ(e->currentCombs[5].Decay, 1.f);
    EXPECT_EQ(record.combSettings[5].Decay, 1.f);
    EXPECT_EQ(e->settings.decayCoef[5], 1.f);
    e->setCombParameter(6, 5, -0.5f);
    EXPECT_EQ(record.combSettings[6].Bright, 0.f);
    EXPECT_EQ(e->settings.brightCoef[6], 0.f);
    e->setCombParameter(7, 5, 0.3f);
    EXPECT_FLOAT_EQ(e->settings.brightCoef[7], static_cast<float>(coefficient(0.3f)));

    e->resetCombParameter(6);
    EXPECT_FALSE(e->stiffnessActive);
    e->setCombParameter(8, 6, 0.5f);
    EXPECT_FLOAT_EQ(e->settings.stiffCoef[8], static_cast<float>(coefficient(0.5f)));
    EXPECT_TRUE(e->stiffnessActive);

    e->setCombParameter(40, 15, 0.625f);
    CombLfo reference;
    reference.setSampleRate(e->combs.lfo[40].getSampleRate());
    reference.setRate(0.625 * 0.625 * 0.625 * 20.0);
    EXPECT_EQ(e->settings.lfoIncrement[40], reference.getIncrement());
}

TEST(EngineParameters, PitchSettingMovesTheWorkingPeriodAndMarksTheProgram)
{
    auto e = makeEngine();
    e->setProgram(1);  // empty tuning path
    ProgramRecord& record = e->getPrograms()[1];
    ASSERT_STREQ(record.tuningMapPath, "");
    const float storedDelay = record.combSettings[10].Delay;
    e->setCombParameter(10, 3, 0.5f);
    EXPECT_FLOAT_EQ(e->currentCombs[10].Delay, 344.53125f);  // 44100 / 128 Hz
    EXPECT_EQ(record.combSettings[10].Delay, storedDelay);
    EXPECT_EQ(record.combSettings[10].normalPitch, 0.5f);
    EXPECT_STREQ(record.tuningMapPath, "*standard");
    e->applyPendingChanges();
    EXPECT_EQ(e->combs.delayLength[10], std::ceil(344.53125f - e->combs.loopFilterDelay[10] + 1.f));
}

TEST(EngineParameters, EnvelopeLengthsFollowTheSampleRateAndStayOutOfTheRecord)
{
    auto e = makeEngine(48000.f);
    ProgramRecord& record = e->getPrograms()[0];
    const int32_t storedWord = record.combSettings[2].envAttackSamples;
    e->setCombParameter(2, 7, 0.5f);
    EXPECT_EQ(e->currentCombs[2].envAttackSamples, 12000);
    EXPECT_EQ(record.combSettings[2].envAttackSamples, storedWord);
    e->setCombParameter(2, 8, 0.1f);
    EXPECT_EQ(e->currentCombs[2].envDecaySamples, 480);
    e->setCombParameter(2, 10, 1.f);
    EXPECT_EQ(e->currentCombs[2].envReleaseSamples, 48000);
}

TEST(EngineParameters, InvalidCombCallsChangeNothing)
{
    auto e = makeEngine();
    const ProgramRecord before = e->getPrograms()[0];
    CombSettings live[kNumCombs];
    std::memcpy(live, e->currentCombs, sizeof(live));

    e->setCombParameter(3, 20, 0.3f);  // no such type: only remembered
    EXPECT_EQ(e->lastCombParamType, 20);
    e->setCombParameter(3, 4, std::numeric_limits<float>::quiet_NaN());
    e->setCombParameter(3, 4, std::numeric_limits<float>::infinity());
    e->setCombParameter(-1, 4, 0.5f);
    e->setCombParameter(88, 4, 0.5f);
    e->setCombParameter(1 << 30, 3, 0.5f);
    EXPECT_EQ(std::memcmp(&before, &e->getPrograms()[0], sizeof(before)), 0);
    EXPECT_EQ(std::memcmp(live, e->currentCombs, sizeof(live)), 0);
    EXPECT_EQ(e->lastCombParamType, 20);
}

TEST(EngineParameters, NudgeMovesTheSelectedTypeOfEveryResonator)
{
    float CombSettings::* fields[] = {&CombSettings::normalPitch, &CombSettings::Decay, &CombSettings::Bright,
                                      &CombSettings::Stiff, &CombSettings::envAttack, &CombSettings::envDecay,
                                      &CombSettings::envSustain, &CombSettings::envRelease, &CombSettings::Out,
                                      &CombSettings::inPan, &CombSettings::PanPos, &CombSettings::Velocity,
                                      &CombSettings::LFOfreq, &CombSettings::LFO2Dec, &CombSettings::Pan};
    const struct { float command; float delta; } steps[] = {
        {8.f, 0.1f}, {9.f, 0.05f}, {10.f, 0.01f}, {11.f, -0.01f}, {12.f, -0.05f}, {13.f, -0.1f}};
    for (int type = 3; type <= 17; ++type) {
        for (const auto& step : steps) {
            auto e = makeEngine();
            e->setParameter(1, selecting(type));
            CombSettings before[kNumCombs];
            std::memcpy(before, e->currentCombs, sizeof(before));
            e->setParameter(45, step.command);
            for (int i = 0; i < kNumCombs; ++i) {
                const float expected = std::clamp(before[i].*fields[type - 3] + step.delta, 0.f, 1.f);
                ASSERT_EQ(e->currentCombs[i].*fields[type - 3], expected) << type << " " << i;
                ASSERT_EQ(e->getPrograms()[0].combSettings[i].*fields[type - 3], expected) << type << " " << i;
            }
            EXPECT_EQ(e->lastCombParamType, type);
        }
    }
    // The selector's ends and middle: 0.5 selects the release, 1 the pan depth; a pitch nudge stops at 4096 Hz.
    auto e = makeEngine();
    e->setParameter(1, 0.5f);
    e->setParameter(45, 10.f);
    EXPECT_EQ(e->lastCombParamType, 10);
    e->setParameter(1, 1.f);
    e->setParameter(45, 10.f);
    EXPECT_EQ(e->lastCombParamType, 17);
    e->setParameter(1, 0.f);
    for (int i = 0; i < kNumCombs; ++i)
        e->setCombParameter(i, 3, 0.95f);
    e->setParameter(45, 8.f);
    EXPECT_EQ(e->currentCombs[87].normalPitch, 1.f);
    EXPECT_FLOAT_EQ(e->currentCombs[87].Delay, 44100.f / 4096.f);
}

TEST(EngineParameters, ResetGivesEveryTypeItsDefault)
{
    const struct { int type; float CombSettings::* field; float value; } defaults[] = {
        {4, &CombSettings::Decay, 0.96f},      {5, &CombSettings::Bright, 0.85f},
        {6, &CombSettings::Stiff, 0.f},        {7, &CombSettings::envAttack, 0.3f},
        {8, &CombSettings::envDecay, 0.3f},    {9, &CombSettings::envSustain, 1.f},
        {10, &CombSettings::envRelease, 0.3f}, {11, &CombSettings::Out, 0.f},
        {12, &CombSettings::inPan, 0.5f},      {13, &CombSettings::PanPos, 0.5f},
        {14, &CombSettings::Velocity, 0.5f},   {15, &CombSettings::LFOfreq, 0.1f},
        {16, &CombSettings::LFO2Dec, 0.5f},    {17, &CombSettings::Pan, 0.f},
    };
    for (const auto& d : defaults) {
        auto e = makeEngine();
        ASSERT_TRUE(e->stiffnessActive);  // program 0 has stiff resonators
        const float p1 = selecting(d.type);
        e->setParameter(1, p1);
        e->setParameter(45, 14.f);
        for (int i = 0; i < kNumCombs; ++i) {
            ASSERT_EQ(e->currentCombs[i].*d.field, d.value) << d.type;
            ASSERT_EQ(e->getPrograms()[0].combSettings[i].*d.field, d.value) << d.type;
        }
        EXPECT_EQ(e->lastCombParamType, d.type);
        EXPECT_EQ(e->getParameter(1), p1);  // the reset leaves the selector alone
        EXPECT_EQ(e->stiffnessActive, d.type != 6);
    }
}

TEST(EngineParameters, PitchResetRestoresTheStandardTuningWithAnEmptyPath)
{
    auto e = makeEngine();
    e->setParameter(1, 0.f);
    e->setParameter(45, 14.f);
    EXPECT_STREQ(e->getPrograms()[0].tuningMapPath, "");
    EXPECT_STREQ(e->getTuningName(), "standard");
    EXPECT_NEAR(e->currentCombs[57].Delay, 44100.0 / 440.0, 1e-4);
    EXPECT_NEAR(e->getPrograms()[0].combSettings[57].normalPitch, std::log(110.0) / std::log(1024.0), 1e-6);
    // Re-selecting the program keeps the standard tuning (and so needs no file).
    e->setProgram(0);
    EXPECT_STREQ(e->getPrograms()[0].tuningMapPath, "");
    EXPECT_NEAR(e->currentCombs[57].Delay, 44100.0 / 440.0, 1e-4);
}

TEST(EngineParameters, SyncSnapsEveryPeriodToTheDivision)
{
    const double divisions[] = {1.0, 0.25, 0.125, 1.0 / 12.0, 0.0625, 1.0 / 24.0};
    for (int d = 0; d < 6; ++d) {
        auto e = makeEngine();
        e->setProgram(1);
        const double span = e->samplesPerBeat * e->timeSigNumerator * static_cast<float>(divisions[d]);
        CombSettings before[kNumCombs];
        std::memcpy(before, e->currentCombs, sizeof(before));
        e->setParameter(46, static_cast<float>(d));
        for (int i = 0; i < kNumCombs; ++i) {
            const double old = before[i].Delay;
            const double now = e->currentCombs[i].Delay;
            const double expected = old > span ? span * std::floor(old / span) : span / std::floor(span / old);
            ASSERT_NEAR(now, expected, expected * 1e-6) << d << " " << i;
        }
        EXPECT_EQ(e->getPrograms()[1].tuningMapPath[0], '*');
    }
    auto e = makeEngine();
    e->setProgram(1);
    CombSettings before[kNumCombs];
    std::memcpy(before, e->currentCombs, sizeof(before));
    e->setParameter(46, 6.f);
    e->setParameter(46, 0.5f);
    EXPECT_EQ(std::memcmp(before, e->currentCombs, sizeof(before)), 0);
}

}  // namespace
