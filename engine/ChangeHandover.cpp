// How a change crosses from the control side to the audio thread: prepared
// under the control lock in the working settings, published whole when the
// outermost ControlScope ends, adopted by the audio thread at a block start.
#include "engine/ResonatorEngine.h"

#include <algorithm>
#include <cstring>

void ResonatorEngine::beginChange()
{
    controlMutex.lock();
    if (changeDepth++ == 0) {
        // Odd from here; the read-modify-write keeps the change's stores after it.
        changeSequence.fetch_add(1, std::memory_order_acq_rel);
        saveUnsavedParameters();
    }
}

void ResonatorEngine::endChange()
{
    if (--changeDepth == 0) {
        publishChange();
        changeSequence.fetch_add(1, std::memory_order_release);
    }
    controlMutex.unlock();
}

void ResonatorEngine::publishChange()
{
    moveQueue.dropMade(movesMade.load(std::memory_order_acquire));
    for (int32_t k = 0; k < kNumParams; ++k)
        settings.params[k] = liveParams[k];
    for (int32_t note = 0; note < TuningMap::kNumNotes; ++note)
        settings.noteFrequency[note] = tuningMap.frequencyOf(note);
    PublishedChange& change = mailbox.draft();
    std::memcpy(&change.settings, &settings, sizeof(settings));
    moveQueue.copyTo(change);
    mailbox.publish();
}

void ResonatorEngine::saveUnsavedParameters()
{
    uint64_t unsaved = unsavedParams.exchange(0, std::memory_order_acquire);
    if (!programs)
        return;
    for (int32_t index = 0; unsaved; ++index, unsaved >>= 1)
        if (unsaved & 1)
            programs[curProgram].fParams[index] = unsavedValue[index];
}

ProgramRecord* ResonatorEngine::getPrograms()
{
    const auto lock = lockControl();
    saveUnsavedParameters();
    return programs;
}

void ResonatorEngine::updateCombDelay(int32_t comb, float period)
{
    if (comb < 0 || comb >= kCombCount)
        return;
    ControlScope scope(*this);
    moveQueue.add(comb, period, workingFilters(comb));
}

LoopFilters ResonatorEngine::workingFilters(int32_t comb) const
{
    return {settings.brightCoef[comb], settings.stiffCoef[comb], stiffnessActive || liveParams[32] != 0.f};
}

bool ResonatorEngine::applyPendingChanges()
{
    const PublishedChange* change = mailbox.take();
    if (change)
        adoptChange(*change);
    refreshBlockParameters();
    deriveFeedbackValues();
    return change != nullptr;
}

void ResonatorEngine::adoptChange(const PublishedChange& change)
{
    const EngineSettings& s = change.settings;
    std::memcpy(playingCombs, s.combs, sizeof(playingCombs));
    std::memcpy(combs.decayCoef, s.decayCoef, sizeof(combs.decayCoef));
    std::memcpy(combs.brightCoef, s.brightCoef, sizeof(combs.brightCoef));
    std::memcpy(combs.stiffCoef, s.stiffCoef, sizeof(combs.stiffCoef));
    std::memcpy(noteFrequency, s.noteFrequency, sizeof(noteFrequency));
    std::memcpy(blockParams, s.params, sizeof(blockParams));
    for (int32_t i = 0; i < kCombCount; ++i)
        combs.lfo[i].setIncrement(s.lfoIncrement[i]);

    for (int32_t m = 0; m < change.moveCount; ++m) {
        const CombMove& move = change.moves[m];
        if (move.sequence <= lastMoveMade)
            continue;  // made when an earlier change was adopted
        if (move.comb == CombMove::kEveryComb) {
            const bool allpass = stiffnessActive || blockParams[32] != 0.f;
            for (int32_t i = 0; i < kCombCount; ++i)
                moveComb(i, playingCombs[i].Delay, 1.f, {combs.brightCoef[i], combs.stiffCoef[i], allpass});
        } else {
            moveComb(move.comb, move.period, 1.f, move.filters);
        }
        lastMoveMade = move.sequence;
    }
    movesMade.store(lastMoveMade, std::memory_order_release);
}

// The parameters as set now, unless a change is under way: then the block keeps
// those it has, and the change brings its own when it is published.
void ResonatorEngine::refreshBlockParameters()
{
    const uint32_t before = changeSequence.load(std::memory_order_acquire);
    if (before & 1)
        return;
    float params[kNumParams];
    for (int32_t k = 0; k < kNumParams; ++k)
        params[k] = liveParams[k];
    // A read-modify-write, so the loads above cannot move after this second look.
    if (changeSequence.fetch_add(0, std::memory_order_acq_rel) == before)
        std::memcpy(blockParams, params, sizeof(blockParams));
}

// At the end of every block: what the editor shows.
void ResonatorEngine::showState()
{
    for (int32_t i = 0; i < kNumCombs; ++i)
        shownEnvelope[i] = voices.envLevel[i];
    shownFeedbackIdle = voices.envState[kFeedbackVoice] == kEnvIdle;
    shownFeedbackDelay = feedback.fbDelayCurrent;
    shownFeedbackNote = feedback.feedbackNote;
}

void ResonatorEngine::readEnvelopeLevels(float (&levels)[kNumCombs]) const
{
    for (int32_t i = 0; i < kNumCombs; ++i)
        levels[i] = shownEnvelope[i];
}

void ResonatorEngine::readCombSettings(CombSettings (&out)[kNumCombs])
{
    const auto lock = lockControl();
    std::memcpy(out, currentCombs, sizeof(out));
}

void ResonatorEngine::readTuningName(char* text, std::size_t size)
{
    const auto lock = lockControl();
    copyText(text, size, tuningMap.getName());
}
