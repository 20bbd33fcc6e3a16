// The VST 2.4 binary interface as Linux (x86-64) and Windows (x86 and x64) hosts
// use it: pointer-sized integers where pointers travel, natural C alignment,
// little-endian, the C calling convention for every function.
// Declared here from the published layout facts; nothing else is needed.
#pragma once

#include <cstddef>
#include <cstdint>

struct AEffect;

// Calling conventions differ only on 32-bit x86, where hosts call the C
// convention; 64-bit targets have a single convention.
#if defined(__i386__)
#define VSTCALLBACK __attribute__((cdecl))
#else
#define VSTCALLBACK
#endif

using audioMasterCallback = intptr_t (VSTCALLBACK*)(AEffect* effect, int32_t opcode, int32_t index,
                                         intptr_t value, void* ptr, float opt);
using AEffectDispatcherProc = intptr_t (VSTCALLBACK*)(AEffect* effect, int32_t opcode, int32_t index,
                                           intptr_t value, void* ptr, float opt);
using AEffectProcessProc = void (VSTCALLBACK*)(AEffect* effect, float** inputs, float** outputs,
                                    int32_t sampleFrames);
using AEffectProcessDoubleProc = void (VSTCALLBACK*)(AEffect* effect, double** inputs, double** outputs,
                                          int32_t sampleFrames);
using AEffectSetParameterProc = void (VSTCALLBACK*)(AEffect* effect, int32_t index, float value);
using AEffectGetParameterProc = float (VSTCALLBACK*)(AEffect* effect, int32_t index);

constexpr int32_t vstFourCC(char a, char b, char c, char d)
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24)
                                | (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16)
                                | (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8)
                                | static_cast<uint32_t>(static_cast<uint8_t>(d)));
}

constexpr int32_t kEffectMagic = vstFourCC('V', 's', 't', 'P');

struct AEffect {
    int32_t magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;  // accumulating (deprecated in 2.4, still called by some hosts)
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags;
    intptr_t resvd1;
    intptr_t resvd2;
    int32_t initialDelay;
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object;
    void* user;
    int32_t uniqueID;
    int32_t version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum VstAEffectFlags : int32_t {
    effFlagsHasEditor = 1,
    effFlagsHasClip = 2,
    effFlagsHasVu = 4,
    effFlagsCanMono = 8,
    effFlagsCanReplacing = 0x10,
    effFlagsProgramChunks = 0x20,
    effFlagsIsSynth = 0x100,
    effFlagsNoSoundInStop = 0x200,
    effFlagsExtIsAsync = 0x400,
    effFlagsExtHasBuffer = 0x800,
    effFlagsCanDoubleReplacing = 0x1000,
};

enum AEffectOpcodes : int32_t {
    effOpen = 0,
    effClose,
    effSetProgram,
    effGetProgram,
    effSetProgramName,
    effGetProgramName,
    effGetParamLabel,
    effGetParamDisplay,
    effGetParamName,
    effGetVu,
    effSetSampleRate,
    effSetBlockSize,
    effMainsChanged,
    effEditGetRect,
    effEditOpen,
    effEditClose,
    effEditDraw,
    effEditMouse,
    effEditKey,
    effEditIdle,
    effEditTop,
    effEditSleep,
    effIdentify,
    effGetChunk,
    effSetChunk,
    effProcessEvents,
    effCanBeAutomated,
    effString2Parameter,
    effGetNumProgramCategories,
    effGetProgramNameIndexed,
    effCopyProgram,
    effConnectInput,
    effConnectOutput,
    effGetInputProperties,
    effGetOutputProperties,
    effGetPlugCategory,
    effGetCurrentPosition,
    effGetDestinationBuffer,
    effOfflineNotify,
    effOfflinePrepare,
    effOfflineRun,
    effProcessVarIo,
    effSetSpeakerArrangement,
    effSetBlockSizeAndSampleRate,
    effSetBypass,
    effGetEffectName,
    effGetErrorText,
    effGetVendorString,
    effGetProductString,
    effGetVendorVersion,
    effVendorSpecific,
    effCanDo,
    effGetTailSize,
    effIdle,
    effGetIcon,
    effSetViewPosition,
    effGetParameterProperties,
    effKeysRequired,
    effGetVstVersion,
    effEditKeyDown,
    effEditKeyUp,
    effSetEditKnobMode,
    effGetMidiProgramName,
    effGetCurrentMidiProgram,
    effGetMidiProgramCategory,
    effHasMidiProgramsChanged,
    effGetMidiKeyName,
    effBeginSetProgram,
    effEndSetProgram,
    effGetSpeakerArrangement,
    effShellGetNextPlugin,
    effStartProcess,
    effStopProcess,
    effSetTotalSampleToProcess,
    effSetPanLaw,
    effBeginLoadBank,
    effBeginLoadProgram,
};

enum AudioMasterOpcodes : int32_t {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4,
    audioMasterWantMidi = 6,
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterSetTime = 9,
    audioMasterTempoAt = 10,
    audioMasterGetNumAutomatableParameters = 11,
    audioMasterGetParameterQuantization = 12,
    audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14,
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetPreviousPlug = 20,
    audioMasterGetNextPlug = 21,
    audioMasterWillReplaceOrAccumulate = 22,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterOfflineStart = 25,
    audioMasterOfflineRead = 26,
    audioMasterOfflineWrite = 27,
    audioMasterOfflineGetCurrentPass = 28,
    audioMasterOfflineGetCurrentMetaPass = 29,
    audioMasterSetOutputSampleRate = 30,
    audioMasterGetOutputSpeakerArrangement = 31,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterSetIcon = 36,
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterOpenWindow = 39,
    audioMasterCloseWindow = 40,
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
    audioMasterEditFile = 47,
    audioMasterGetChunkFile = 48,
    audioMasterGetInputSpeakerArrangement = 49,
};

enum VstEventTypes : int32_t { kVstMidiType = 1, kVstSysExType = 6 };

struct VstEvent {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    char data[16];
};

struct VstEvents {
    int32_t numEvents;
    intptr_t reserved;
    VstEvent* events[2];  // really numEvents entries
};

struct VstMidiEvent {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    int32_t noteLength;
    int32_t noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

enum VstTimeInfoFlags : int32_t {
    kVstTransportChanged = 1,
    kVstTransportPlaying = 2,
    kVstNanosValid = 0x100,
    kVstPpqPosValid = 0x200,
    kVstTempoValid = 0x400,
    kVstBarsValid = 0x800,
    kVstCyclePosValid = 0x1000,
    kVstTimeSigValid = 0x2000,
};

struct VstTimeInfo {
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;
    double tempo;
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    int32_t timeSigNumerator;
    int32_t timeSigDenominator;
    int32_t smpteOffset;
    int32_t smpteFrameRate;
    int32_t samplesToNextClock;
    int32_t flags;
};

enum VstPinPropertiesFlags : int32_t { kVstPinIsActive = 1, kVstPinIsStereo = 2, kVstPinUseSpeaker = 4 };

struct VstPinProperties {
    char label[64];
    int32_t flags;
    int32_t arrangementType;
    char shortLabel[8];
    char future[48];
};

struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct VstKeyCode {
    int32_t character;
    uint8_t virt;
    uint8_t modifier;
};

// The layouts hosts expect: 64-bit (Linux, Windows x64) and 32-bit (Windows x86).
static_assert(sizeof(void*) == 8 || sizeof(void*) == 4, "only 32- and 64-bit targets");
constexpr bool kVst64 = sizeof(void*) == 8;
static_assert(sizeof(AEffect) == (kVst64 ? 192 : 144), "AEffect must match the host layout");
static_assert(offsetof(AEffect, resvd1) == (kVst64 ? 64 : 40));
static_assert(offsetof(AEffect, object) == (kVst64 ? 96 : 64));
static_assert(offsetof(AEffect, uniqueID) == (kVst64 ? 112 : 72));
static_assert(offsetof(AEffect, processReplacing) == (kVst64 ? 120 : 80));
static_assert(offsetof(AEffect, future) == (kVst64 ? 136 : 88));
static_assert(sizeof(VstMidiEvent) == 32);
static_assert(offsetof(VstEvents, events) == (kVst64 ? 16 : 8));
static_assert(sizeof(VstTimeInfo) == 88);
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64);
static_assert(sizeof(VstPinProperties) == 128);

// Records of the interface this plug-in never fills in; only passed through.
struct VstOfflineTask;
struct VstAudioFile;
struct VstVariableIo;
struct VstSpeakerArrangement;
struct VstSpeakerProperties;
struct VstFileSelect;
struct VstParameterProperties;
struct VstPatchChunkInfo;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
