#include "tests/engine/EngineFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

using namespace enginetest;

namespace {

// A minimal host for the engine object: answers the tempo request with `hostTime`.
VstTimeInfo hostTime{};
bool answerTime = true;

intptr_t fakeHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterGetTime)
        return answerTime ? reinterpret_cast<intptr_t>(&hostTime) : 0;
    return 0;
}

// Runs `frames` samples of silence in blocks of `blockSize` and records one voice's level after each block.
std::vector<float> levels(ResonatorEngine& engine, int voice, int frames, int blockSize = 1)
{
    std::vector<float> out;
    float in[4096] = {}, l[4096], r[4096];
    float* ins[2] = {in, in};
    float* outs[2] = {l, r};
    for (int done = 0; done < frames; done += blockSize) {
        engine.processReplacing(ins, outs, blockSize);
        out.push_back(engine.voices.envLevel[voice]);
    }
    return out;
}

void setEnvelope(ResonatorEngine& engine, int comb, int attack, int decay, float sustain, int release)
{
    CombSettings& c = engine.currentCombs[comb];
    c.envAttackSamples = attack;
    c.envDecaySamples = decay;
    c.envSustain = sustain;
    c.envReleaseSamples = release;
    engine.publishSettings();
}

}  // namespace

TEST(NoteEvents, NotesReachTheirCombsOnEveryChannelButTwo)
{
    auto engine = makeQuietEngine();
    send(*engine, {makeMidiEvent(0x90, 60, 100, 5)});
    EXPECT_EQ(engine->voices.triggerCountdown[48], 5);
    EXPECT_FLOAT_EQ(engine->voices.noteVelocity[48], 100.f / 127.f);
    send(*engine, {makeMidiEvent(0x92, 60, 64), makeMidiEvent(0x9F, 100, 1), makeMidiEvent(0x90, 5, 1)});
    EXPECT_EQ(engine->voices.triggerCountdown[48], 0);  // the later event replaces the earlier one
    EXPECT_EQ(engine->voices.triggerCountdown[0], 0);   // note 100 wraps to comb 0 like note 12
    EXPECT_EQ(engine->voices.triggerCountdown[81], 0);  // note 5 wraps to comb 81
    // Velocity 0 and 0x80 are note-offs, effective at the second sample of the next block.
    send(*engine, {makeMidiEvent(0x90, 61, 0, 30), makeMidiEvent(0x83, 62, 50, 30)});
    EXPECT_EQ(engine->voices.triggerCountdown[49], 1);
    EXPECT_EQ(engine->voices.noteVelocity[49], -1.f);
    EXPECT_EQ(engine->voices.triggerCountdown[50], 1);
    // Channel 2 plays the feedback voice; other messages do nothing.
    EXPECT_EQ(send(*engine, {makeMidiEvent(0x91, 70, 127, 3), makeMidiEvent(0xE0, 0, 64), makeMidiEvent(0xB0, 7, 100)}), 1);
    EXPECT_EQ(engine->voices.triggerCountdown[kFeedbackVoice], 3);
    EXPECT_EQ(engine->feedback.feedbackNote, 70);
    // Out-of-range notes from a direct call stay inside the bank.
    engine->noteOn(100, -13, 0, 0);
    EXPECT_EQ(engine->voices.triggerCountdown[63], 0);
    EXPECT_EQ(engine->processEvents(nullptr), 1);
}

TEST(CombEnvelope, AttackDecaySustainReleaseTiming)
{
    auto engine = makeQuietEngine();
    const int comb = 20;
    setEnvelope(*engine, comb, 10, 5, 0.5f, 7);
    send(*engine, {makeMidiEvent(0x90, 32, 90, 3)});
    const auto v = levels(*engine, comb, 40);
    // Silent until sample 3, then 11 equal steps landing exactly on 1 at sample 13.
    EXPECT_EQ(v[2], 0.f);
    EXPECT_FLOAT_EQ(v[3], 1.f / 11.f);
    EXPECT_FLOAT_EQ(v[8], 6.f / 11.f);
    EXPECT_LT(v[12], 1.f);
    EXPECT_EQ(v[13], 1.f);
    EXPECT_EQ(v[14], 1.f);  // the stage change takes one sample
    // Six steps down to the sustain level exactly, then it holds.
    EXPECT_FLOAT_EQ(v[15], 1.f - 0.5f / 6.f);
    EXPECT_EQ(v[20], 0.5f);
    EXPECT_EQ(v[39], 0.5f);
    EXPECT_EQ(engine->voices.envState[comb], kEnvSustain);

    // Note-off: delivered before a block, it starts at that block's second sample,
    // 8 steps to zero, then idle.
    send(*engine, {makeMidiEvent(0x80, 32, 0, 0)});
    const auto r = levels(*engine, comb, 12);
    EXPECT_EQ(r[0], 0.5f);
    EXPECT_FLOAT_EQ(r[1], 0.5f - 0.5f / 8.f);
    EXPECT_NEAR(r[8], 0.f, 1e-6f);
    EXPECT_EQ(r[10], 0.f);
    EXPECT_EQ(engine->voices.envState[comb], kEnvIdle);
}

TEST(CombEnvelope, RetriggerStartsTheAttackFromTheCurrentLevel)
{
    auto engine = makeQuietEngine();
    const int comb = 30;
    setEnvelope(*engine, comb, 3, 0, 0.25f, 20);
    send(*engine, {makeMidiEvent(0x90, 42, 90)});
    levels(*engine, comb, 10);
    send(*engine, {makeMidiEvent(0x90, 42, 0)});
    const auto released = levels(*engine, comb, 6);
    const float from = released.back();
    EXPECT_GT(from, 0.f);
    EXPECT_LT(from, 0.25f);
    send(*engine, {makeMidiEvent(0x90, 42, 10)});
    const auto v = levels(*engine, comb, 5);
    EXPECT_FLOAT_EQ(v[0], from + (1.f - from) / 4.f);
    EXPECT_EQ(v[3], 1.f);
}

TEST(CombEnvelope, CountdownsCarryAcrossBlocks)
{
    auto engine = makeQuietEngine();
    const int comb = 5;
    setEnvelope(*engine, comb, 0, 0, 1.f, 0);
    send(*engine, {makeMidiEvent(0x90, 17, 90, 20)});
    const auto v = levels(*engine, comb, 32, 8);  // fires in sample 20: the third block
    EXPECT_EQ(v[1], 0.f);
    EXPECT_EQ(v[2], 1.f);
}

TEST(CombEnvelope, Controller126SilencesEveryComb)
{
    auto engine = makeQuietEngine();
    send(*engine, {makeMidiEvent(0x90, 30, 90), makeMidiEvent(0x90, 50, 90, 600)});
    levels(*engine, 18, 512, 512);
    EXPECT_NE(engine->voices.envState[18], kEnvIdle);
    send(*engine, {makeMidiEvent(0xB3, 126, 0)});
    for (int i = 0; i < kNumCombs; ++i) {
        EXPECT_EQ(engine->voices.envState[i], kEnvIdle);
        EXPECT_EQ(engine->voices.envLevel[i], 0.f);
        EXPECT_LT(engine->voices.triggerCountdown[i], 0);  // pending notes are dropped too
    }
}

// Controllers 64, 120 and 123 do what plain note-offs (or 126) do in the block where they
// take effect: every envelope matches the reference's after each block ("row block/voice").
TEST(NoteEvents, ControllersActAsTheNoteOffsTheyStandFor)
{
    using Blocks = std::map<int, std::vector<VstMidiEvent>>;
    auto on = [](int ch, int note) { return makeMidiEvent(uint8_t(0x8F + ch), uint8_t(note), 100); };
    auto off = [](int ch, int note) { return makeMidiEvent(uint8_t(0x7F + ch), uint8_t(note), 0); };
    auto cc = [](int ch, int number, int v) { return makeMidiEvent(uint8_t(0xAF + ch), uint8_t(number), uint8_t(v)); };
    const struct { const char* name; Blocks played, reference; } rows[] = {
        {"all notes off", {{0, {cc(1, 64, 127), on(1, 60), on(3, 70), on(2, 57)}}, {1, {off(1, 60)}},  // held, dropped
            {2, {on(2, 62), on(1, 64), cc(5, 123, 0)}}, {3, {on(1, 60)}}, {4, {cc(1, 64, 0)}}},
            {{0, {on(1, 60), on(3, 70), on(2, 57)}}, {2, {off(1, 60), off(3, 70), off(2, 57)}}, {3, {on(1, 60)}}}},
        {"pedals hold their own channel", {{0, {cc(1, 64, 127), cc(2, 64, 64), on(1, 60), on(3, 70), on(2, 57)}},
            {1, {off(1, 60), off(3, 70), off(2, 57)}}, {3, {cc(1, 64, 0)}}, {5, {cc(2, 64, 63)}}},
            {{0, {on(1, 60), on(3, 70), on(2, 57)}}, {1, {off(3, 70)}}, {3, {off(1, 60)}}, {5, {off(2, 57)}}}},
        {"struck again while held", {{0, {cc(1, 64, 127), on(1, 60)}}, {1, {off(1, 60)}}, {2, {on(1, 60)}},
            {3, {cc(1, 64, 0)}}, {5, {off(1, 60)}}}, {{0, {on(1, 60)}}, {2, {on(1, 60)}}, {5, {off(1, 60)}}}},
        {"newer feedback note", {{0, {cc(2, 64, 127), on(2, 57)}}, {1, {on(2, 62), off(2, 57)}}, {3, {cc(2, 64, 0)}},
            {5, {off(2, 62)}}}, {{0, {on(2, 57)}}, {1, {on(2, 62)}}, {5, {off(2, 62)}}}},
        {"within one block", {{0, {cc(2, 64, 127), cc(1, 64, 127)}}, {1, {on(2, 57), off(2, 57), on(1, 64),
            off(1, 64), cc(2, 64, 0), cc(1, 64, 0)}}}, {{1, {on(2, 57), off(2, 57), on(1, 64), off(1, 64)}}}},
        {"all sound off", {{0, {cc(1, 64, 127), on(1, 60), on(1, 64)}}, {1, {off(1, 60)}}, {2, {cc(1, 120, 0)}},
            {3, {on(1, 60)}}, {4, {cc(1, 64, 0)}}}, {{0, {on(1, 60), on(1, 64)}}, {2, {cc(9, 126, 0)}}, {3, {on(1, 60)}}}},
    };
    for (const auto& row : rows) {
        std::unique_ptr<ResonatorEngine> e[2] = {makeQuietEngine(), makeQuietEngine()};
        for (auto& engine : e)
            for (int comb : {48, 52, 58})
                setEnvelope(*engine, comb, 30, 30, 0.5f, 90);
        for (int block = 0; block < 8; ++block) {
            for (int which = 0; which < 2; ++which) {
                const Blocks& blocks = which ? row.reference : row.played;
                if (blocks.count(block))
                    e[which]->processEvents(VstEventList(blocks.at(block)).get());
                levels(*e[which], 0, 64, 64);
            }
            for (int v = 0; v < kVoiceCount; ++v)
                EXPECT_EQ(e[0]->voices.envLevel[v], e[1]->voices.envLevel[v]) << row.name << " " << block << "/" << v;
        }
    }
    auto engine = makeQuietEngine();  // all sound off ends the feedback voice too, at once
    send(*engine, {makeMidiEvent(0x91, 57, 100)});
    levels(*engine, kFeedbackVoice, 64, 64);
    send(*engine, {makeMidiEvent(0xB0, 120, 0)});
    EXPECT_EQ(engine->voices.envState[kFeedbackVoice], kEnvIdle);
}

class FeedbackVoiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        hostTime = VstTimeInfo{};
        answerTime = true;
        engine = std::make_unique<ResonatorEngine>(fakeHost);
        engine->resume();
        engine->liveParams[21] = 0.5f;  // velocity sensitivity
        engine->liveParams[24] = 0.4f;  // filter resonance
        engine->liveParams[25] = 0.f;   // no glide
        engine->liveParams[26] = 0.f;
        engine->liveParams[27] = 0.f;
        engine->liveParams[28] = 0.5f;
        engine->liveParams[29] = 0.f;
        engine->liveParams[33] = 0.f;
        engine->liveParams[34] = 0.2f;  // bandpass
        engine->applyPendingChanges();
    }
    std::string status()
    {
        char text[32];
        engine->feedbackStatusText(text, sizeof(text));
        return text;
    }
    std::unique_ptr<ResonatorEngine> engine;
};

TEST_F(FeedbackVoiceTest, PitchModeSetsFilterDelayAndEnvelope)
{
    EXPECT_EQ(status(), "(--)");
    send(*engine, {makeMidiEvent(0x91, 127, 100)});  // 12.5 kHz: beyond the filter's range, ignored
    levels(*engine, kFeedbackVoice, 3);
    EXPECT_EQ(engine->voices.envState[kFeedbackVoice], kEnvIdle);
    engine->liveParams[26] = 0.02f;  // ceil(0.0004 * 44100) = 18 samples of attack
    engine->liveParams[27] = 0.01f;  // 5 samples of decay
    engine->applyPendingChanges();
    ASSERT_EQ(engine->feedback.fbAttackSamples, 18);
    ASSERT_EQ(engine->feedback.fbDecaySamples, 5);

    send(*engine, {makeMidiEvent(0x91, 69, 64, 2)});
    const auto v = levels(*engine, kFeedbackVoice, 30);
    const float peak = 1.f - (1.f - 64.f / 127.f) * 0.5f;
    EXPECT_EQ(v[1], 0.f);
    EXPECT_FLOAT_EQ(v[2], peak / 18.f);
    EXPECT_EQ(v[19], peak);  // 18 steps from the trigger sample on
    EXPECT_EQ(v[25], peak * 0.5f);
    EXPECT_EQ(engine->voices.envState[kFeedbackVoice], kEnvSustain);

    // Delay of one period at 44.1 kHz, filter centred on the note.
    EXPECT_FLOAT_EQ(engine->feedback.fbDelayCurrent, 44100.f / 440.f);
    EXPECT_EQ(status(), "440.00");
    float b[3], a[3];
    engine->feedback.feedbackFilter[0].getCoefficients(b, a);
    const double w0 = 2.0 * static_cast<double>(static_cast<float>(M_PI)) * 440.0 / 44100.0;
    const double alpha = std::sin(w0) / (2.0 * (0.5 + 49.5 * 0.16));
    EXPECT_NEAR(b[0], alpha, 1e-6);  // constant-peak bandpass
    EXPECT_NEAR(a[0], 1.0 + alpha, 1e-6);

    // A note-off for another note leaves the voice sounding; its own note releases it.
    send(*engine, {makeMidiEvent(0x81, 70, 0)});
    levels(*engine, kFeedbackVoice, 4);
    EXPECT_EQ(engine->voices.envState[kFeedbackVoice], kEnvSustain);
    send(*engine, {makeMidiEvent(0x81, 69, 0)});
    levels(*engine, kFeedbackVoice, 4);
    EXPECT_EQ(engine->voices.envState[kFeedbackVoice], kEnvIdle);
    EXPECT_EQ(status(), "(--)");
}

TEST_F(FeedbackVoiceTest, TempoModeFollowsTheHostTempo)
{
    hostTime.tempo = 90.0;
    hostTime.timeSigNumerator = 7;
    hostTime.timeSigDenominator = 8;
    hostTime.flags = kVstTempoValid | kVstTimeSigValid;
    engine->liveParams[33] = 0.1f;  // one bar per (note + 1)
    send(*engine, {makeMidiEvent(0x91, 3, 100)});
    levels(*engine, kFeedbackVoice, 2);
    EXPECT_EQ(engine->tempoBpm, 90.0);
    EXPECT_EQ(engine->timeSigNumerator, 7.0);
    EXPECT_FLOAT_EQ(engine->feedback.fbDelayCurrent, 4.f * 44100.f * 60.f / 90.f);  // four beats
    EXPECT_EQ(status(), "B x 4");

    engine->liveParams[33] = 0.3f;  // quarter of that
    send(*engine, {makeMidiEvent(0x91, 11, 100)});
    levels(*engine, kFeedbackVoice, 2);
    EXPECT_FLOAT_EQ(engine->feedback.fbDelayCurrent, 12.f * 29400.f * 0.25f);
    EXPECT_EQ(status(), "1/4 x 12");

    // Long delays are capped at the line length; unknown modes use a multiplier of 1.
    engine->liveParams[33] = 0.9f;
    send(*engine, {makeMidiEvent(0x91, 100, 100)});
    levels(*engine, kFeedbackVoice, 2);
    EXPECT_EQ(engine->feedback.fbDelayCurrent, 176400.f);
    EXPECT_EQ(status(), "error x 101");

    // Without an answer from the host: 120 beats per minute.
    answerTime = false;
    engine->liveParams[33] = 0.1f;
    send(*engine, {makeMidiEvent(0x91, 0, 100)});
    levels(*engine, kFeedbackVoice, 2);
    EXPECT_FLOAT_EQ(engine->feedback.fbDelayCurrent, 22050.f);
}

TEST_F(FeedbackVoiceTest, GlideMovesTheDelayOverTheGlideTime)
{
    engine->liveParams[25] = std::sqrt(100.f / 44100.f) - 1e-6f;  // 100 samples
    engine->applyPendingChanges();
    ASSERT_EQ(engine->feedback.glideSamples, 100.f);
    send(*engine, {makeMidiEvent(0x91, 57, 100)});  // 220 Hz: 200.45 samples, from 200 after resume
    auto v = levels(*engine, kFeedbackVoice, 100);
    EXPECT_FLOAT_EQ(engine->feedback.fbDelayCurrent, 44100.f / 220.f);

    send(*engine, {makeMidiEvent(0x91, 45, 100)});  // 110 Hz: 400.9 samples
    levels(*engine, kFeedbackVoice, 50);
    EXPECT_NEAR(engine->feedback.fbDelayCurrent, (44100.f / 220.f + 44100.f / 110.f) / 2.f, 0.01f);
    levels(*engine, kFeedbackVoice, 50);
    EXPECT_FLOAT_EQ(engine->feedback.fbDelayCurrent, 44100.f / 110.f);
    EXPECT_EQ(engine->feedback.feedbackDelay[0]->getWholeDelay(), 402);  // ceil(400.91) + 1
}

TEST_F(FeedbackVoiceTest, SyncCombsSnapsPeriodsToTheBar)
{
    hostTime.tempo = 120.0;
    hostTime.timeSigNumerator = 4;
    hostTime.flags = kVstTempoValid | kVstTimeSigValid;
    engine->readTempo();
    engine->currentCombs[0].Delay = 100.f;
    engine->currentCombs[1].Delay = 30000.f;
    engine->syncCombs(0.25f);  // 22050 samples
    EXPECT_FLOAT_EQ(engine->currentCombs[0].Delay, 22050.f / 220.f);
    EXPECT_EQ(engine->currentCombs[1].Delay, 22050.f);
    engine->applyPendingChanges();
    EXPECT_EQ(engine->combs.delayLength[1], 16383.f);
    EXPECT_EQ(engine->getPrograms()[0].tuningMapPath[0], '*');

    hostTime.tempo = 90.0;
    hostTime.timeSigNumerator = 7;
    engine->readTempo();
    engine->currentCombs[2].Delay = 1000.f;
    engine->syncCombs(1.f);  // 7 beats of 29400 samples
    EXPECT_FLOAT_EQ(engine->currentCombs[2].Delay, 205800.f / 205.f);
}

namespace {

TEST_F(FeedbackVoiceTest, PitchModeKeepsItsPitchAtOtherSampleRates)
{
    engine->setSampleRate(48000.f);
    send(*engine, {makeMidiEvent(0x91, 69, 100)});
    levels(*engine, kFeedbackVoice, 4);
    // One period of 440 Hz at the host's rate, so the feedback rings at the note.
    EXPECT_FLOAT_EQ(engine->feedback.fbDelayCurrent, 48000.f / 440.f);
    EXPECT_EQ(status(), "440.00");
}

}  // namespace
