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
#include "tests/renders/Scenes.h"
#include "tests/testhost/TestHost.h"

#include "analysis/ImpulseCommand.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using testhost::PluginInstance;

namespace {

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

AEffect* VSTCALLBACK entryAtForcedWidth(audioMasterCallback audioMaster)
{
    auto* plugin = new ResonatorPlugin(audioMaster);
    plugin->useKernelWidth(forcedWidth);
    return plugin->getAeffect();
}

bool runScenes(const testhost::LoadOptions& options, const std::string& source)
{
    for (const scenes::Scene& scene : scenes::all()) {
        const std::vector<float> out = scenes::renderVst(scene, scene.blocks, SIZE_MAX, 0, options);
        if (out.empty())
            return false;
        Fingerprint fp;
        fp.add(out.data(), sizeof(float) * out.size());
        std::printf("%s %s %016llx\n", scene.name, source.c_str(), static_cast<unsigned long long>(fp.value));
        if (!dumpDirectory.empty()) {
            if (std::FILE* dump = std::fopen((dumpDirectory + "/" + scene.name + "." + source + ".f32").c_str(), "wb")) {
                std::fwrite(out.data(), sizeof(float), out.size(), dump);
                std::fclose(dump);
            }
        }
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
        plugin->setSampleRate(scenes::kRate);
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
