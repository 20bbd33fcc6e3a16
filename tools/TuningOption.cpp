#include "tools/TuningOption.h"

#include "host/Vst2.h"
#include "programs/ProgramRecord.h"
#include "tools/FileUtil.h"
#include "tools/OptionParser.h"
#include "tools/PluginHost.h"
#include "tools/ToolError.h"
#include "tuning/ScalaTuning.h"
#include "tuning/TuningMap.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tovarine::cli {

namespace {

// What the option names: one ".tun" map, or a scale and/or a mapping.
struct TuningFiles {
    std::string tunPath;
    ScalaFiles scala;
};

TuningFiles tuningFilesOf(const std::vector<std::string>& given)
{
    TuningFiles files;
    for (const std::string& text : given) {
        const std::string path = std::filesystem::absolute(text).lexically_normal().string();
        if (path.find('\n') != std::string::npos)
            throw usageError("--tuning " + text + ": a path with a line break cannot be stored");
        // The plug-in takes any other name for a .tun map; here a wrong file is more likely a slip.
        const std::string extension = lowerCaseExtension(path);
        if (extension != "tun" && extension != "scl" && extension != "kbm")
            throw usageError("--tuning " + text + ": not a tuning file; the name must end in .tun, .scl or .kbm");
        std::string* slot = nullptr;
        switch (kindOfTuningFile(path)) {
        case TuningFileKind::Tun: slot = &files.tunPath; break;
        case TuningFileKind::Scale: slot = &files.scala.scalePath; break;
        case TuningFileKind::Mapping: slot = &files.scala.mappingPath; break;
        }
        if (!slot->empty())
            throw usageError("--tuning " + text + ": give one .tun or .scl file and at most one .kbm");
        *slot = path;
    }
    if (!files.tunPath.empty() && (!files.scala.scalePath.empty() || !files.scala.mappingPath.empty()))
        throw usageError("--tuning: a .tun map goes alone; .scl and .kbm files go together");
    return files;
}

// The plug-in would answer a file it cannot read with its open-file dialog; here it is an error instead.
void checkReadable(const TuningFiles& files)
{
    std::string error;
    if (!files.tunPath.empty()) {
        TuningMap map;
        if (!map.loadFromFile(files.tunPath.c_str()))
            throw ToolError(std::string(map.getErrorText()));
        return;
    }
    if (!files.scala.scalePath.empty() && !readScalaScale(files.scala.scalePath.c_str(), error))
        throw ToolError(error);
    if (!files.scala.mappingPath.empty() && !readKeyboardMapping(files.scala.mappingPath.c_str(), error))
        throw ToolError(error);
}

std::vector<uint8_t> tovarineProgram(PluginHost& plugin)
{
    if (plugin.effect().uniqueID != kTovarineId)
        throw ToolError("--tuning works with Tovarine 88 Resonator only; this plug-in is '" + fourCCText(plugin.effect().uniqueID) + "'");
    std::vector<uint8_t> chunk = plugin.getChunk(true);
    if (chunk.size() != sizeof(ProgramRecord))
        throw ToolError("the plug-in's program chunk has " + std::to_string(chunk.size()) + " bytes, not "
                        + std::to_string(sizeof(ProgramRecord)));
    return chunk;
}

}  // namespace

OptionRule tuningOption(const char* help)
{
    return {.name = "tuning", .repeatable = true, .valueName = "FILE.tun|.scl|.kbm", .help = help};
}

void applyTuningOption(PluginHost& plugin, const ParsedOptions& options)
{
    if (!options.has("tuning"))
        return;
    const TuningFiles files = tuningFilesOf(options.values("tuning"));
    checkReadable(files);
    const std::string stored = files.tunPath.empty() ? storedPathOf(files.scala) : files.tunPath;
    if (stored.size() >= kTuningMapPathSize)
        throw ToolError("--tuning: the paths take " + std::to_string(stored.size()) + " characters; a program stores "
                        + std::to_string(kTuningMapPathSize - 1) + " at most");

    std::vector<uint8_t> chunk = tovarineProgram(plugin);
    char* field = reinterpret_cast<char*>(chunk.data()) + offsetof(ProgramRecord, tuningMapPath);
    std::memset(field, 0, kTuningMapPathSize);
    std::memcpy(field, stored.data(), stored.size());
    if (!plugin.setChunk(chunk, true))
        throw ToolError("the plug-in refused the program with the tuning");
    // The plug-in empties the path of a tuning it could not apply.
    const std::vector<uint8_t> back = plugin.getChunk(true);
    if (back.size() != chunk.size()
        || std::memcmp(back.data() + offsetof(ProgramRecord, tuningMapPath), field, kTuningMapPathSize) != 0)
        throw ToolError("the plug-in did not apply the tuning");
}

ResonatorPitch resonatorPitch(double wantedHz, double sampleRate)
{
    ResonatorPitch pitch;
    const double period = sampleRate / wantedHz;
    // Also a table's 0 Hz or infinite pitch: held at the longest or shortest loop.
    pitch.heldAt = !(period <= kLongestLoopSamples) ? kLongestLoopSamples : !(period >= kShortestLoopSamples) ? kShortestLoopSamples : 0;
    pitch.playedHz = sampleRate / (pitch.heldAt ? pitch.heldAt : period);
    return pitch;
}

void printResonatorFrequencies(PluginHost& plugin, double sampleRate)
{
    const std::vector<uint8_t> chunk = tovarineProgram(plugin);
    std::printf("\nresonators (%d), frequency in Hz at a sample rate of %.0f Hz (a loop holds %.0f to %.0f samples):\n", kNumCombs,
                sampleRate, kShortestLoopSamples, kLongestLoopSamples);
    for (int i = 0; i < kNumCombs; ++i) {
        float normalPitch = 0.f;
        std::memcpy(&normalPitch, chunk.data() + offsetof(ProgramRecord, combSettings) + i * sizeof(CombSettings)
                                      + offsetof(CombSettings, normalPitch), sizeof(normalPitch));
        // normalPitch v stands for 4 x 1024^v Hz.
        const ResonatorPitch pitch = resonatorPitch(std::exp2(2.0 + 10.0 * static_cast<double>(normalPitch)), sampleRate);
        std::printf("  %2d  note %3d  %11.3f", i, kFirstCombNote + i, pitch.playedHz);
        if (pitch.heldAt == kShortestLoopSamples)
            std::printf("  held at the shortest loop (%.0f samples): the tuning asks for more", kShortestLoopSamples);
        else if (pitch.heldAt == kLongestLoopSamples)
            std::printf("  held at the longest loop (%.0f samples): the tuning asks for less", kLongestLoopSamples);
        std::printf("\n");
    }
}

}  // namespace tovarine::cli
