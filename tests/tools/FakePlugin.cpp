// A tiny VST 2 plug-in for testing hosts: output = gain x input, and every
// MIDI event it receives is written into the right output at its frame as
// status x 65536 + data1 x 256 + data2 (exact in a float), and the status of
// the first event of each frame into the left output (to see the order). With the probe
// parameter above 0.5 the first four left samples of each block report the
// host's tempo, time signature and sample position. Built three times: once
// normally, once (FAKE_REFUSE) with an entry point that refuses to load, and
// once (FAKE_RING) adding a constant 0.4 to both outputs, a tail that never ends.
#include "host/Vst2.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kPrograms = 3;
constexpr int kParams = 2;
constexpr int kMaxEvents = 512;
#ifdef FAKE_REFUSE
constexpr bool kRefuseToLoad = true;
#else
constexpr bool kRefuseToLoad = false;
#endif
#ifdef FAKE_RING
constexpr float kRingLevel = 0.4f;
#else
constexpr float kRingLevel = 0.f;
#endif

struct Program {
    char name[24];
    float params[kParams];  // gain (x2), probe
};
static_assert(sizeof(Program) == 32);

struct Fake {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    Program programs[kPrograms] = {{"Unity", {0.5f, 0.f}}, {"Half", {0.25f, 0.f}}, {"Double", {1.f, 0.f}}};
    int current = 0;
    VstMidiEvent pending[kMaxEvents]{};
    int pendingCount = 0;
};

Fake* fakeOf(AEffect* e) { return static_cast<Fake*>(e->object); }

void copyText(void* ptr, const char* text)
{
    std::strncpy(static_cast<char*>(ptr), text, 23);
    static_cast<char*>(ptr)[23] = '\0';
}

intptr_t dispatcher(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float)
{
    Fake* f = fakeOf(e);
    Program& p = f->programs[f->current];
    switch (opcode) {
    case effClose:
        delete f;
        return 1;
    case effSetProgram:
        if (value >= 0 && value < kPrograms)
            f->current = static_cast<int>(value);
        return 0;
    case effGetProgram:
        return f->current;
    case effSetProgramName:
        std::strncpy(p.name, static_cast<const char*>(ptr), 23);
        return 0;
    case effGetProgramName:
        copyText(ptr, p.name);
        return 0;
    case effGetProgramNameIndexed:
        if (index < 0 || index >= kPrograms)
            return 0;
        copyText(ptr, f->programs[index].name);
        return 1;
    case effGetParamName:
        copyText(ptr, index == 0 ? "Gain" : "Probe");
        return 0;
    case effGetParamLabel:
        copyText(ptr, index == 0 ? "x" : "");
        return 0;
    case effGetParamDisplay:
        if (index >= 0 && index < kParams)
            std::snprintf(static_cast<char*>(ptr), 24, "%.3f", static_cast<double>(p.params[index] * (index == 0 ? 2.f : 1.f)));
        return 0;
    case effGetChunk:
        *static_cast<void**>(ptr) = index ? static_cast<void*>(&p) : static_cast<void*>(f->programs);
        return index ? sizeof(Program) : sizeof(f->programs);
    case effSetChunk:
        if (index && value == sizeof(Program)) {
            std::memcpy(&p, ptr, sizeof(Program));
            return 1;
        }
        if (!index && value == sizeof(f->programs)) {
            std::memcpy(f->programs, ptr, sizeof(f->programs));
            return 1;
        }
        return 0;
    case effProcessEvents: {
        const auto* events = static_cast<const VstEvents*>(ptr);
        for (int i = 0; i < events->numEvents && f->pendingCount < kMaxEvents; ++i)
            if (events->events[i]->type == kVstMidiType)
                f->pending[f->pendingCount++] = *reinterpret_cast<const VstMidiEvent*>(events->events[i]);
        return 1;
    }
    case effGetEffectName:
        copyText(ptr, "Fake Gain");
        return 1;
    case effGetVendorString:
        copyText(ptr, "Test Bench");
        return 1;
    case effGetProductString:
        copyText(ptr, "Fake Gain Plug-in");
        return 1;
    case effGetVendorVersion:
        return 7;
    case effGetVstVersion:
        return 2400;
    case effCanDo:
        return std::strcmp(static_cast<const char*>(ptr), "receiveVstMidiEvent") == 0 ? 1 : -1;
    default:
        return 0;
    }
}

void run(AEffect* e, float** in, float** out, int32_t frames, bool accumulate)
{
    Fake* f = fakeOf(e);
    const Program& p = f->programs[f->current];
    const float gain = 2.f * p.params[0];
    for (int32_t i = 0; i < frames; ++i) {
        const float l = gain * in[0][i] + kRingLevel, r = gain * in[1][i] + kRingLevel;
        out[0][i] = accumulate ? out[0][i] + l : l;
        out[1][i] = accumulate ? out[1][i] + r : r;
    }
    for (int i = 0; i < f->pendingCount; ++i) {
        const VstMidiEvent& m = f->pending[i];
        if (m.deltaFrames < 0 || m.deltaFrames >= frames)
            continue;
        const auto b = [&m](int k) { return static_cast<float>(static_cast<uint8_t>(m.midiData[k])); };
        out[1][m.deltaFrames] += b(0) * 65536.f + b(1) * 256.f + b(2);
        bool firstAtFrame = true;
        for (int j = 0; j < i; ++j)
            firstAtFrame = firstAtFrame && f->pending[j].deltaFrames != m.deltaFrames;
        if (firstAtFrame)
            out[0][m.deltaFrames] += b(0);
    }
    f->pendingCount = 0;
    if (p.params[1] > 0.5f && frames >= 4) {
        const auto* time = reinterpret_cast<const VstTimeInfo*>(f->host(e, audioMasterGetTime, 0, 0, nullptr, 0.f));
        if (time) {
            out[0][0] = static_cast<float>(time->tempo);
            out[0][1] = static_cast<float>(time->timeSigNumerator);
            out[0][2] = static_cast<float>(time->timeSigDenominator);
            out[0][3] = static_cast<float>(time->samplePos);
        }
    }
}

void processReplacing(AEffect* e, float** in, float** out, int32_t frames) { run(e, in, out, frames, false); }
void processAccumulating(AEffect* e, float** in, float** out, int32_t frames) { run(e, in, out, frames, true); }
void setParameter(AEffect* e, int32_t index, float value)
{
    if (index >= 0 && index < kParams)
        fakeOf(e)->programs[fakeOf(e)->current].params[index] = value;
}
float getParameter(AEffect* e, int32_t index)
{
    return index >= 0 && index < kParams ? fakeOf(e)->programs[fakeOf(e)->current].params[index] : 0.f;
}

AEffect* create(audioMasterCallback host)
{
    if (kRefuseToLoad || !host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.f) == 0)
        return nullptr;
    auto* f = new Fake();
    f->host = host;
    AEffect& e = f->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.process = processAccumulating;
    e.processReplacing = processReplacing;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.numPrograms = kPrograms;
    e.numParams = kParams;
    e.numInputs = 2;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing | effFlagsProgramChunks;
    e.ioRatio = 1.f;
    e.object = f;
    e.uniqueID = vstFourCC('F', 'k', 'G', 'n');
    e.version = 7;
    return &e;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) { return create(host); }
