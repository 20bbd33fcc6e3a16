// The engine class: everything that makes sound and everything a program
// stores. The host layer below it is generic; the editor sits above it.
#pragma once

#include "engine/CombBank.h"
#include "engine/CombLanes.h"
#include "engine/FeedbackPath.h"
#include "engine/TensionLanes.h"
#include "engine/VoiceState.h"
#include "TovarineVersion.h"
#include "host/AudioEffectX.h"
#include "programs/ProgramRecord.h"
#include "tuning/ScalaTuning.h"
#include "tuning/TuningMap.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

class ResonatorEngine : public AudioEffectX {
public:
    explicit ResonatorEngine(audioMasterCallback audioMaster);
    ~ResonatorEngine() override;

    // False when construction could not allocate the program store; main() refuses such an instance.
    bool isComplete() const { return programs != nullptr; }

    // --- audio and MIDI (audio thread) -----------------------------------
    void process(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    // Runs the whole engine for one block; replacing = false adds the wet signal to the outputs.
    virtual void processBlock(float** inputs, float** outputs, int32_t sampleFrames, bool replacing);
    int32_t processEvents(VstEvents* events) override;
    virtual void noteOff(int32_t note, int32_t channel);
    virtual void noteOn(int32_t velocity, int32_t note, int32_t deltaFrames, int32_t channel);
    // MIDI controller 126: every comb envelope goes idle at once.
    void silenceCombEnvelopes();

    // --- set-up ---------------------------------------------------------
    void resume() override;
    void setSampleRate(float rate) override;
    void setBlockSize(int32_t frames) override;
    // Refreshes the tempo state from the host's time information.
    void readTempo();
    // Snaps every comb period to a whole multiple or fraction of `division` bars.
    virtual void syncCombs(float division);

    // Moves comb `comb` to a loop period of `period` samples times `scale`,
    // compensating the phase delay of the loop filters that run for it.
    void updateCombDelay(int32_t comb, float period, float scale = 1.f);

    // Copies a program into the working state and derives every engine value
    // from it (coefficients, envelope lengths, LFO rates, periods).
    void loadProgramIntoEngine(const ProgramRecord& record);
    // Derived values of one comb's settings: the loop coefficients, envelope lengths and LFO rate.
    void deriveCombValues(int32_t comb);
    // Derived values of the global feedback parameters 22, 25, 26, 27, 29.
    void deriveFeedbackValues();

    // The resonators run 16 lanes wide where the CPU has AVX-512, 8 with AVX2,
    // else 4; every width gives the same output. Narrower widths are for tests.
    void useKernelWidth(KernelWidth width) { kernelWidth = width < widestKernelWidth() ? width : widestKernelWidth(); }
    // Tension moves run lane-wise, several combs per vector; false moves each comb on its own
    // through updateCombDelay (the reference they must match bit for bit).
    void useBatchedTensionMoves(bool batched) { batchTensionMoves = batched; }

    // --- for the editor ---------------------------------------------------
    // "(--)" while the feedback voice is idle, else its frequency or tempo division.
    void feedbackStatusText(char* text, std::size_t size = 32) const;
    const CombSettings* getCurrentCombs() const { return currentCombs; }
    const float* getEnvelopeLevels() const { return voices.envLevel; }

    // --- parameters, programs and tuning (programs/, tuning/) ------------
    void setParameter(int32_t index, float value) override;  // 0..42, commands 45 and 46
    float getParameter(int32_t index) override;
    void getParameterName(int32_t index, char* text) override;
    void getParameterLabel(int32_t index, char* label) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void setProgram(int32_t program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    int32_t getChunk(void** data, bool isPreset = false) override;
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset = false) override;
    // One setting (type 3..17) of one resonator, clamped to 0..1, with its derived values.
    virtual void setCombParameter(int32_t comb, int32_t type, float value);
    virtual void fillFactoryPresets();
    // Writes all programs as preset source to ~/TovarineOutputProgram.cpp; 0 on success, -1 on failure.
    virtual int exportPrograms();
    // Command 45, value 1: derives Decay, Bright and Out of every resonator
    // from an impulse response the user picks (analysis/ImpulseCommand.cpp).
    virtual void analyseImpulse();
    // Rebuilds the map's notes 12..99 from the resonators' periods.
    virtual void deriveTuningFromCombs();
    // Re-applies the program's tuning, or asks the user for a ".tun" file.
    virtual void loadTuning(bool askUser);
    virtual const char* getTuningName();
    void retuneAllCombs();
    void nudgeCombParameter(int32_t type, float delta);
    void resetCombParameter(int32_t type);
    // Tunes the map from a Scala scale and/or keyboard mapping; the keys the
    // mapping leaves alone keep the resonators' present pitches. False (with
    // the map's errorText set) when a file is refused; then nothing changed.
    bool applyScalaFiles(const ScalaFiles& files);
    // What to install before the file commands can ask for a file, once one of
    // them found no dialog program; null otherwise. The editor shows it.
    const char* getFileDialogHint() const { return fileDialogHint.load(std::memory_order_acquire); }
    // Editor hooks; the final class forwards them to its editor.
    virtual void showCombParameterInEditor(int32_t type) { (void)type; }
    virtual void idleWhileWaiting() {}
    // A message for the user (shown while the editor is open).
    virtual void tellUser(const char* message) { (void)message; }

    // --- host queries -----------------------------------------------------
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t getVendorVersion() override { return TOVARINE_VERSION_MAJOR; }
    int32_t getNumCategories() override { return 1; }
    int32_t canDo(char* text) override;
    bool getOutputProperties(int32_t index, VstPinProperties* properties) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
    bool copyProgram(int32_t destination) override;

    ProgramRecord* getPrograms() { return programs; }
    TuningMap& getTuningMap() { return tuningMap; }

    // --- state (written by the parameter model, read by the audio loop) ----
    TuningMap tuningMap;
    bool stiffnessActive = false;       // some comb has Stiff > 0
    int32_t lastCombParamType = 0;      // per-comb setting type most recently set
    float liveParams[kNumParams] = {};  // working copy of the program's global parameters
    CombSettings currentCombs[kNumCombs] = {};  // working copy of the program's comb settings

    CombBank combs;
    VoiceState voices;
    FeedbackPath feedback;
    WorkLists lists;

    float combOffset = 1e-18f;    // anti-denormal, sign flips at the start of every sample
    float feedbackOffset = 1e-7f; // anti-denormal, sign flips at the end of every sample

    // Tempo as last read from the host.
    double tempoBpm = 120.0;
    double beatsPerSecond = 2.0;
    int32_t samplesPerBeat = 22050;
    double timeSigNumerator = 4.0;

protected:
    ProgramRecord* programs = nullptr;  // the store of 32 records, one block

private:
    // Working memory of the audio loop.
    CombLanes lanes;
    ChunkSignals signals;
    int32_t lanesModulated = 0;
    KernelWidth kernelWidth = kFourLanes;
    CombList movingEnvelopes;  // envelopes of the block that are not holding
    TensionRates blockTension{0.1f, 0.015f, 0.08f};
    TensionLanes tensionLanes;
    bool batchTensionMoves = true;
    std::atomic<const char*> fileDialogHint{nullptr};
    bool toldFileDialogHint = false;

private:
    // True when no dialog program exists: records the hint, says it once on
    // standard error and lets the editor show it. Clears the hint otherwise.
    bool fileDialogMissing();

    // The program's stored tuning source into the map; false when it does not load.
    bool applyStoredTuning(const std::string& path);
    // A file chosen in the dialog; false for a refused Scala file (nothing changed).
    bool applyChosenTuning(const std::string& path);
    std::string scalaScalePath;  // the scale of the tuning in force, if it came from one
    bool toldTuningNotStored = false;
    void runTuningCommand(float command);  // parameter index 45
    void runSyncCommand(float command);    // parameter index 46
    void setUpEngine();
    void setUpComb(int32_t comb, uint32_t randomRate);
    void clearCombLine(int32_t comb);
    bool allpassRuns() const;
    // The allpass coefficient a comb's compensation is for; -1 when the allpass does not run.
    float allpassKey(int32_t comb, bool allpass) const { return allpass ? combs.stiffCoef[comb] : -1.f; }
    // The loop filters' phase expansion around `period`, unless it is already in place.
    void expandLoopPhase(int32_t comb, float period, bool allpass);
    void recompensateCombs(bool allpass, bool tension);
    void buildWorkLists();
    // Stores a new whole length, fraction and weights; moves the read position.
    void placeCombLoop(int32_t comb, double length, double fraction, const double h[4]);
    static void crossFadeJump(float* buffer, int32_t oldRead, int32_t newRead);
    // Tension modelling, after every sub-block: each sounding stiff comb moves to
    // its period times 1 - follower x Stiff x depth, as updateCombDelay would.
    void retuneLoudCombs(float depth);
    void gatherTensionLanes();
    void writeBackTensionLane(int32_t lane, int32_t comb);
    void moveLaneAlone(int32_t lane);
    void moveCombsOneByOne(float depth);

    struct BlockIo {
        const float* inLeft;
        const float* inRight;
        int32_t strideLeft;
        int32_t strideRight;
        float* outLeft;
        float* outRight;
        bool replacing;
    };
    bool feedbackLinesAllow(int32_t frames) const;
    void gatherLanes();
    void refreshLanes(int32_t frames);
    void scatterLanes();
    // A lane takes its comb's weights and read position (after the comb moved).
    void reloadLaneDelay(int32_t lane, int32_t comb)
    {
        for (int h = 0; h < 4; ++h)
            lanes.weight[h][lane] = combs.interpCoef[comb][h];
        // The read position always trails the write position by delayLength.
        lanes.readIndex[lane] = (lanes.writeIndex[lane] - static_cast<int32_t>(combs.delayLength[comb])) & kCombBufferMask;
    }
    void runChunk(LoopVariant variant, BlockIo& io, int32_t frames, bool deferLines);
    void runFeedbackPath();
    void stepCombEnvelope(int32_t comb);
    void stepDecayStage(int32_t voice, int32_t lastStep, float sustain);
    void stepReleaseStage(int32_t voice, int32_t length);
    void stepFeedbackVoice();
    void triggerFeedbackVoice();
    float feedbackDelayTarget(double frequency);
};
