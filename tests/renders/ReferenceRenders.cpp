// Prints fingerprints of a few demanding renders and the settings impulse analyses leave,
// so that builds for different systems can be compared bit for bit: every
// kernel width of the plug-in object linked in here, and the built plug-in
// library at the width it picks itself.
//
//   reference_renders [--library PATH] [--dump DIR] [--analyse WAV...]
//
// --dump writes every render as raw floats (left block, right block) to
// DIR/scene.source.f32, for comparing two builds sample by sample.
//
// prints lines "scene source hash"; source is width4, width8, width16 (the
// widths this CPU runs), width4-plain (four lanes without FMA) or library; then
// a line of settings per analysed file.
#include "host/ResonatorPlugin.h"
#include "programs/ProgramRecord.h"
#include "tests/conformance/Signal.h"
#include "tests/testhost/TestHost.h"

#include "analysis/ImpulseCommand.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using testhost::PluginInstance;

namespace {

constexpr float kRate = 44100.f;
constexpr int32_t kBlock = 512;

// FNV-1a over the bytes of everything hashed.
struct Fingerprint {
    uint64_t value = 1469598103934665603ull;
    void add(const void* data, std::size_t size)
    {
        for (std::size_t i = 0; i < size; ++i) {
            value ^= static_cast<const uint8_t*>(data)[i];
            value *= 1099511628211ull;
        }
    }
};

KernelWidth forcedWidth = kFourLanes;
std::string dumpDirectory;
FILE* dumpFile = nullptr;

AEffect* VSTCALLBACK entryAtForcedWidth(audioMasterCallback audioMaster)
{
    auto* plugin = new ResonatorPlugin(audioMaster);
    plugin->useKernelWidth(forcedWidth);
    return plugin->getAeffect();
}

void noteOn(PluginInstance& p, int channel, int key, int velocity, int delta)
{
    p.sendMidi({makeMidiEvent(static_cast<uint8_t>(0x90 | (channel - 1)), static_cast<uint8_t>(key),
                              static_cast<uint8_t>(velocity), delta)});
}

// Blocks of kBlock frames, or of the lengths in `blockSizes` in turn.
uint64_t render(PluginInstance& p, std::size_t frames, uint32_t seed, const std::function<void(int)>& beforeBlock = {},
                const std::vector<int32_t>& blockSizes = {})
{
    const std::vector<float> in = conformance::noise(frames, seed, 0.3f);
    std::vector<float> left(kBlock), right(kBlock);
    Fingerprint fp;
    for (std::size_t pos = 0, block = 0, n = 0; pos < frames; pos += n, ++block) {
        if (beforeBlock)
            beforeBlock(static_cast<int>(block));
        const int32_t size = blockSizes.empty() ? kBlock : blockSizes[block % blockSizes.size()];
        n = static_cast<int32_t>(std::min<std::size_t>(static_cast<std::size_t>(size), frames - pos));
        p.processBlock(in.data() + pos, in.data() + pos, left.data(), right.data(), static_cast<int32_t>(n));
        fp.add(left.data(), sizeof(float) * n);
        fp.add(right.data(), sizeof(float) * n);
        if (dumpFile) {
            std::fwrite(left.data(), sizeof(float), n, dumpFile);
            std::fwrite(right.data(), sizeof(float), n, dumpFile);
        }
    }
    return fp.value;
}

// Rewrites every resonator of the current program through the host's chunk calls.
void editCombs(PluginInstance& p, const std::function<void(int, CombSettings&)>& edit)
{
    std::vector<uint8_t> chunk = p.getChunk(true);
    ProgramRecord record;
    std::memcpy(&record, chunk.data(), sizeof(record));
    for (int i = 0; i < kNumCombs; ++i)
        edit(i, record.combSettings[i]);
    std::memcpy(chunk.data(), &record, sizeof(record));
    p.setChunk(chunk, true);
}

// Factory program 0 as it comes, on noise.
uint64_t factoryProgramOnNoise(PluginInstance& p)
{
    return render(p, 88200, 1);
}

// Every resonator sounding, with LFO, stiffness and tension model B, played by
// notes, and a feedback note.
uint64_t allResonatorsWithTension(PluginInstance& p)
{
    editCombs(p, [](int i, CombSettings& c) {
        c.Out = 0.5f;
        c.LFOfreq = 0.2f + 0.005f * static_cast<float>(i);
        c.Pan = 0.3f;
        c.LFO2Dec = 0.7f;
        c.Stiff = 0.25f;
        c.Velocity = 0.6f;
    });
    p.setParameter(32, 0.2f);  // tension model B
    p.setParameter(20, 0.4f);  // feedback level
    return render(p, 66150, 2, [&](int block) {
        if (block == 2)
            for (int key = 21; key <= 108; key += 5)
                noteOn(p, 1, key, 70 + key % 50, key);
        if (block == 10)
            noteOn(p, 2, 45, 110, 17);
    });
}

// The feedback voice with its delay in quarter notes of the host's tempo.
uint64_t feedbackVoiceInTempo(PluginInstance& p)
{
    p.timeInfo.tempo = 96.0;
    p.timeInfo.timeSigNumerator = 3;
    p.timeInfo.timeSigDenominator = 4;
    p.timeInfo.flags = 0x2E02;
    p.setParameter(33, 0.3f);  // 1/4
    p.setParameter(20, 0.8f);
    p.setParameter(22, 0.5f);
    p.setParameter(25, 0.2f);
    p.dispatch(effMainsChanged, 0, 0);
    p.dispatch(effMainsChanged, 0, 1);  // resume reads the tempo
    return render(p, 88200, 3, [&](int block) {
        if (block == 1)
            noteOn(p, 2, 57, 120, 100);
    });
}

// Notes struck and released in quick succession on short envelopes, some
// resonators silent (Out 0) while their envelopes run, stiffness without
// tension, and a feedback voice high enough that its lines are shorter than a
// sub-block; blocks of uneven lengths.
uint64_t envelopesAndShortFeedback(PluginInstance& p)
{
    editCombs(p, [](int i, CombSettings& c) {
        c.Out = i % 7 == 3 ? 0.f : 0.4f;
        c.envAttack = 0.01f * static_cast<float>(i % 5);
        c.envDecay = 0.02f * static_cast<float>(i % 4);
        c.envSustain = 0.5f;
        c.envRelease = 0.015f * static_cast<float>(i % 6);
        c.Velocity = 0.3f + 0.007f * static_cast<float>(i);
        c.Stiff = i % 3 == 0 ? 0.2f : 0.f;
    });
    p.setParameter(20, 0.7f);
    return render(p, 70000, 4, [&](int block) {
        for (int key = 21 + block % 9; key <= 108; key += 9)
            p.sendMidi({makeMidiEvent(static_cast<uint8_t>(block % 2 ? 0x80 : 0x90), static_cast<uint8_t>(key), 90,
                                      (block * 13) % 60)});
        if (block == 3)
            noteOn(p, 2, 100, 100, 5);
    }, {512, 67, 1, 300, 16, 33, 511});
}

struct Scene {
    const char* name;
    uint64_t (*run)(PluginInstance&);
};

constexpr Scene kScenes[] = {
    {"program0-noise", factoryProgramOnNoise},
    {"all88-lfo-stiff-tensionB-feedback", allResonatorsWithTension},
    {"feedback-tempo-quarter", feedbackVoiceInTempo},
    {"envelopes-short-feedback", envelopesAndShortFeedback},
};

bool runScenes(const testhost::LoadOptions& options, const std::string& source)
{
    for (const Scene& scene : kScenes) {
        auto p = PluginInstance::load(options);
        if (!p)
            return false;
        p->prepare(kRate, kBlock);
        if (!dumpDirectory.empty())
            dumpFile = std::fopen((dumpDirectory + "/" + scene.name + "." + source + ".f32").c_str(), "wb");
        std::printf("%s %s %016llx\n", scene.name, source.c_str(), static_cast<unsigned long long>(scene.run(*p)));
        if (dumpFile)
            std::fclose(dumpFile), dumpFile = nullptr;
    }
    return true;
}

// The impulse analysis of every real WAV file: the settings it leaves, as text.
// (The C runtimes' double-precision log, exp, pow and cos differ in their last
// bits, so across systems these agree closely rather than bit for bit.)
void analyseWavFiles(const std::vector<std::string>& files)
{
    for (const std::string& file : files) {
        auto plugin = std::make_unique<ResonatorPlugin>(nullptr);  // megabytes: too big for a stack
        plugin->setSampleRate(kRate);
        plugin->resume();
        applyImpulseAnalysis(*plugin, file.c_str());
        std::printf("analysis-%s static", file.substr(file.find_last_of("/\\") + 1).c_str());
        for (const CombSettings& c : plugin->currentCombs)
            std::printf(" %.9g %.9g %.9g", c.Decay, c.Bright, c.Out);
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::string library;
    std::vector<std::string> wavFiles;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--library") == 0 && i + 1 < argc)
            library = argv[++i];
        else if (std::strcmp(argv[i], "--dump") == 0 && i + 1 < argc)
            dumpDirectory = argv[++i];
        else if (std::strcmp(argv[i], "--analyse") == 0)
            wavFiles.assign(argv + i + 1, argv + argc), i = argc;
        else
            return 2;
    }
    // Last, width4-plain: the four-lane kernel as processors without FMA run it.
    const std::pair<KernelWidth, bool> rounds[] = {
        {kFourLanes, true}, {kEightLanes, true}, {kSixteenLanes, true}, {kFourLanes, false}};
    for (const auto& [width, fma] : rounds) {
        const bool fused = useFmaInNarrowKernel(fma);
        if (width > widestKernelWidth() || (fma && !fused))
            continue;
        forcedWidth = width;
        testhost::LoadOptions options;
        options.entry = entryAtForcedWidth;
        if (!runScenes(options, "width" + std::to_string(static_cast<int>(width)) + (fma ? "" : "-plain")))
            return 1;
    }
    useFmaInNarrowKernel(true);
    if (!library.empty()) {
        testhost::LoadOptions options;
        options.pluginPath = library;
        if (!runScenes(options, "library"))
            return 1;
    }
    analyseWavFiles(wavFiles);
    return 0;
}
