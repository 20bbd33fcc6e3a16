// The engine class: everything that makes sound and everything a program
// stores. The host layer below it is generic; the editor sits above it.
//
// Threads. The audio thread (process, processReplacing, processEvents) owns
// everything that sounds: the comb bank with its delay lines, the lanes, the
// voices and envelopes, the feedback path, and its copies of the settings.
// The control side (setParameter, setProgram, setChunk, the commands, the
// editor; any thread but the audio one) owns the programs, the tuning map and
// the working settings, and changes them under the control lock. A change
// reaches the audio thread one way only: the outermost ControlScope publishes
// the working settings and the comb moves made since, whole, through a
// three-slot mailbox; the audio thread adopts them at the start of its next
// block and never waits. Single values cross as relaxed atomics
// (SharedValue): the global parameters, the stiffness flag, the tempo, and
// the envelope levels and feedback status the audio thread shows the editor.
#pragma once

#include "engine/CombBank.h"
#include "engine/ChangeMailbox.h"
#include "engine/CombLanes.h"
#include "engine/CombMoveQueue.h"
#include "engine/EngineSettings.h"
#include "engine/FileChoice.h"
#include "engine/FeedbackPath.h"
#include "engine/SharedValue.h"
#include "engine/SilenceWatch.h"
#include "engine/SustainPedals.h"
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
#include <memory>
#include <mutex>
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
    // All Sound Off (controller 120): every comb envelope and the feedback voice
    // go idle at once, and held note-offs are dropped.
    void silenceAllVoices();
    // All Notes Off (controller 123): every envelope a note opened, the feedback
    // voice's included, is released as its note-off would release it; notes
    // still waiting to start are dropped, and so are held note-offs.
    void releaseAllNotes();

    // --- set-up ---------------------------------------------------------
    void resume() override;
    void setSampleRate(float rate) override;
    void setBlockSize(int32_t frames) override;
    // Refreshes the tempo state from the host's time information.
    void readTempo();
    // Snaps every comb period to a whole multiple or fraction of `division` bars.
    virtual void syncCombs(float division);

    // Moves comb `comb` to a loop period of `period` samples, compensating the
    // phase delay of the loop filters that run for it (at the next block).
    void updateCombDelay(int32_t comb, float period);

    // --- handing changes to the audio thread ---------------------------------
    // Every change the control side makes runs inside one: it holds the control
    // lock, and the outermost scope publishes the result when it ends.
    class ControlScope {
    public:
        explicit ControlScope(ResonatorEngine& engine) : engine(engine) { engine.beginChange(); }
        ~ControlScope() { engine.endChange(); }
        ControlScope(const ControlScope&) = delete;
        ControlScope& operator=(const ControlScope&) = delete;

    private:
        ResonatorEngine& engine;
    };
    // Publishes the working settings after they were written directly (tests, benchmarks).
    void publishSettings() { ControlScope scope(*this); }
    // Audio thread, at the start of every block (or while processing is stopped):
    // adopts the newest published change and the parameters. True when a change was adopted.
    bool applyPendingChanges();
    // Audio thread: moves comb `comb` to a loop period of `period` samples times `scale`,
    // compensating the phase delay of `filters`.
    void moveComb(int32_t comb, float period, float scale, const LoopFilters& filters);

    // Copies a program into the working state and derives every engine value
    // from it (coefficients, envelope lengths, LFO rates, periods).
    void loadProgramIntoEngine(const ProgramRecord& record);
    // Derived values of one comb's settings: the loop coefficients, envelope lengths and LFO rate.
    void deriveCombValues(int32_t comb);

    // The resonators run 16 lanes wide where the CPU has AVX-512, 8 with AVX2,
    // else 4; every width gives the same output. Narrower widths are for tests.
    void useKernelWidth(KernelWidth width) { kernelWidth = width < widestKernelWidth() ? width : widestKernelWidth(); }
    // Tension moves run lane-wise, several combs per vector; false moves each comb on its own
    // through updateCombDelay (the reference they must match bit for bit).
    void useBatchedTensionMoves(bool batched) { batchTensionMoves = batched; }
    // Blocks of silent input after the sound has settled cost next to nothing
    // (SilenceWatch.h); false keeps the engine running them in full (the reference).
    void useSilenceSkipping(bool skip)
    {
        silence.enabled = skip;
        silence.wake();
    }
    // Audio thread (or while processing is stopped): whether the next silent block will be skipped.
    bool isAsleep() const { return silence.asleep; }
    uint64_t blocksSlept() const { return silence.blocksSlept; }

    // --- for the editor ---------------------------------------------------
    // "(--)" while the feedback voice is idle, else its frequency or tempo division,
    // as of the last block.
    void feedbackStatusText(char* text, std::size_t size = 32) const;
    // The working settings; on a thread that may race with changes, use readCombSettings.
    const CombSettings* getCurrentCombs() const { return currentCombs; }
    void readCombSettings(CombSettings (&out)[kNumCombs]);
    // The comb envelope levels at the end of the last block.
    void readEnvelopeLevels(float (&levels)[kNumCombs]) const;
    void readTuningName(char* text, std::size_t size);

    // --- parameters, programs and tuning (programs/, tuning/) ------------
    void setParameter(int32_t index, float value) override;  // 0..42, commands 45 and 46
    float getParameter(int32_t index) override;
    // The item a menu parameter (32 tension modeling, 33 feedback delay, 34
    // feedback filter) selects, before rounding: 10 x its value. Hosts read
    // the value itself through getParameter; the editor reads the item here.
    float menuItem(int32_t index) const;
    static float menuItemOf(float value) { return 10.f * value; }
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
    // The impulse response the user chose, analysed as above; false when it cannot be used
    // (nothing changed then).
    bool analyseImpulseFile(const std::string& path);
    // Rebuilds the map's notes 12..99 from the resonators' periods.
    virtual void deriveTuningFromCombs();
    // Re-applies the program's tuning, or asks the user for a ".tun" file.
    virtual void loadTuning(bool askUser);
    // The tuning file (".tun", ".scl" or ".kbm") the user chose, applied to the program as
    // its tuning. False when it is no file or a refused Scala file: then the tuning stays as
    // it was, with the reason in the map's error text.
    bool loadTuningFile(const std::string& path);
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
    // True when the host asks the user for the file itself instead of a file dialog: the
    // chosen file arrives later, through loadTuningFile or analyseImpulseFile.
    virtual bool hostChoosesFile(FileChoice which) { (void)which; return false; }
    // True when the host loads the file the dialog chose (later, through loadTuningFile or
    // analyseImpulseFile, in the host's worker) instead of this thread.
    virtual bool hostLoadsFile(FileChoice which, const std::string& path) { (void)which, (void)path; return false; }
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

    // The program store with every parameter set so far written into it.
    ProgramRecord* getPrograms();
    TuningMap& getTuningMap() { return tuningMap; }

    // --- control side (under the control lock) ------------------------------
    TuningMap tuningMap;
    int32_t lastCombParamType = 0;      // per-comb setting type most recently set
    EngineSettings settings{};          // working settings: combs, coefficients, LFO rates, pitches
    CombSettings (&currentCombs)[kNumCombs] = settings.combs;  // working copy of the program's comb settings

    // --- shared scalars -------------------------------------------------------
    SharedValue<float> liveParams[kNumParams];  // the program's global parameters as set
    // Some comb has Stiff > 0: set by changes, recomputed by the audio thread each block.
    SharedValue<bool> stiffnessActive{false};

    // --- audio thread ---------------------------------------------------------
    CombBank combs;
    VoiceState voices;
    FeedbackPath feedback;
    WorkLists lists;

    float combOffset = 1e-18f;    // anti-denormal, sign flips at the start of every sample
    float feedbackOffset = 1e-7f; // anti-denormal, sign flips at the end of every sample

    // Tempo as last read from the host.
    SharedValue<double> tempoBpm{120.0};
    SharedValue<double> beatsPerSecond{2.0};
    SharedValue<int32_t> samplesPerBeat{22050};
    SharedValue<double> timeSigNumerator{4.0};

protected:
    ProgramRecord* programs = nullptr;  // the store of 32 records, one block

    std::unique_lock<std::recursive_mutex> lockControl() { return std::unique_lock<std::recursive_mutex>(controlMutex); }

private:
    void beginChange();
    void endChange();
    void publishChange();
    void saveUnsavedParameters();
    void adoptChange(const PublishedChange& change);
    void refreshBlockParameters();
    // Derived values of the global feedback parameters 22, 25, 26, 27, 29, for the block.
    void deriveFeedbackValues();
    // The loop filters as the working settings have them now.
    LoopFilters workingFilters(int32_t comb) const;

    void showState();  // at the end of every block: what the editor shows

private:
    // Working memory of the audio loop.
    CombLanes lanes;
    ChunkSignals signals;
    int32_t lanesModulated = 0;
    KernelWidth kernelWidth = kFourLanes;
    CombList movingEnvelopes;  // envelopes of the sub-block that are not holding
    TensionRates blockTension{0.1f, 0.015f, 0.08f};
    TensionLanes tensionLanes;
    bool batchTensionMoves = true;
    SilenceWatch silence;
    SustainPedals pedals;

    // --- the audio thread's copies of the settings, adopted at block starts ------
    CombSettings playingCombs[kNumCombs] = {};
    double noteFrequency[TuningMap::kNumNotes] = {};
    float blockParams[kNumParams] = {};
    bool blockStiffness = false;
    uint64_t lastMoveMade = 0;

private:
    // True when no dialog program exists: records the hint, says it once on
    // standard error and lets the editor show it. Clears the hint otherwise.
    bool fileDialogMissing();

    // The program's stored tuning source into the map; false when it does not load.
    bool applyStoredTuning(const std::string& path);
    // A file chosen in the dialog; false for a refused Scala file (nothing changed).
    bool applyChosenTuning(const std::string& path);
    // The combs follow the map, and the editor shows their pitches.
    void showRetunedCombs();
    std::string scalaScalePath;  // the scale of the tuning in force, if it came from one
    bool toldTuningNotStored = false;
    void runTuningCommand(float command);  // parameter index 45
    void runSyncCommand(float command);    // parameter index 46
    void setUpEngine();
    void setUpComb(int32_t comb, uint32_t randomRate);
    void clearCombLine(int32_t comb);
    bool allpassRuns() const;  // in this block
    // The loop filters of a comb as the block runs them.
    LoopFilters runningFilters(int32_t comb) const { return {combs.brightCoef[comb], combs.stiffCoef[comb], allpassRuns()}; }
    // The allpass coefficient a comb's compensation is for; -1 when the allpass does not run.
    static float allpassKey(const LoopFilters& f) { return f.allpass ? f.stiff : -1.f; }
    float allpassKey(int32_t comb, bool allpass) const { return allpass ? combs.stiffCoef[comb] : -1.f; }
    // The loop filters' phase expansion around `period`, unless it is already in place.
    void expandLoopPhase(int32_t comb, float period, const LoopFilters& filters);
    void moveByExpansion(int32_t comb, float period, float scale, const LoopFilters& filters);
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
    void advanceLaneLfos();
    void refreshLanes();
    void stepEnvelopesAndGains(int32_t frames);
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
    void runFeedbackChunk(BlockIo& io, int32_t frames, bool deferLines);
    // Sleeping through silence (SilenceSkipping.cpp): at the start of a block, true when
    // the block was slept through; at its end, whether to fall asleep.
    bool sleepThroughBlock(float** inputs, float** outputs, int32_t frames, bool replacing);
    void watchForSilence(float** inputs, int32_t frames);
    bool wetOutputQuiet(int32_t frames) const;
    bool holdingStill() const;
    bool loopsSettled() const;
    void controlChange(int32_t controller, int32_t value, int32_t channel);
    void liftSustainPedal(int32_t channel);
    void armNoteOff(int32_t voice);
    // In attack, decay or sustain: a note holds the voice open.
    bool voiceSounds(int32_t voice) const;
    bool noteOnPending(int32_t voice) const;
    void stepCombEnvelope(int32_t comb);
    int32_t plainEnvelopeSteps(int32_t comb, int32_t limit) const;
    void stepCombEnvelopeOver(int32_t comb, int32_t lane, int32_t frames);
    void stepDecayStage(int32_t voice, int32_t lastStep, float sustain);
    void stepReleaseStage(int32_t voice, int32_t length);
    void stepFeedbackVoice();
    void triggerFeedbackVoice();
    float feedbackDelayTarget(double frequency);

    // Cold data last, out of the audio loop's way.
    // --- the hand-over -------------------------------------------------------
    std::recursive_mutex controlMutex;
    int32_t changeDepth = 0;
    // Odd while a change is being made: the audio thread then keeps the block's
    // parameters, so a program's globals arrive with its combs.
    std::atomic<uint32_t> changeSequence{0};
    CombMoveQueue moveQueue;
    ChangeMailbox<PublishedChange> mailbox;
    std::atomic<uint64_t> movesMade{0};  // sequence of the last move the audio thread made
    // setParameter never takes the lock: the value for the program record waits here,
    // and the next change or read of the store writes it in.
    SharedValue<float> unsavedValue[kNumParams];
    std::atomic<uint64_t> unsavedParams{0};  // bit i: unsavedValue[i] belongs in the record
    static_assert(std::atomic<uint64_t>::is_always_lock_free, "the audio thread must never wait on an atomic");
    float lfoAdvanceRate = 44100.f / 16.f;    // calls of the LFOs per second
    std::unique_ptr<ProgramRecord[]> chunkCopy;  // what getChunk last handed the host

    std::atomic<const char*> fileDialogHint{nullptr};
    std::atomic<bool> toldFileDialogHint{false};  // commands may come from several threads

    // What the audio thread shows the editor.
    SharedValue<float> shownEnvelope[kNumCombs];
    SharedValue<bool> shownFeedbackIdle{true};
    SharedValue<float> shownFeedbackDelay{500.f};
    SharedValue<int32_t> shownFeedbackNote{60};
};
