// Scala tunings on the resonators: the files are read whole and checked
// before anything changes; then the map takes the new pitches in one step.
#include "engine/ResonatorEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

bool ResonatorEngine::applyScalaFiles(const ScalaFiles& files)
{
    std::string error;
    std::optional<ScalaScale> scale =
        files.scalePath.empty() ? ScalaScale::twelveToneEqual() : readScalaScale(files.scalePath.c_str(), error);
    std::optional<KeyboardMapping> mapping =
        files.mappingPath.empty() ? KeyboardMapping{} : readKeyboardMapping(files.mappingPath.c_str(), error);
    if (!scale || !mapping) {
        std::snprintf(tuningMap.errorText, sizeof(tuningMap.errorText), "%s", error.c_str());
        return false;
    }

    double cents[TuningMap::kNumNotes];
    std::copy(std::begin(tuningMap.noteCents), std::end(tuningMap.noteCents), cents);
    // Keys a mapping leaves alone ("x", or outside its range) keep the resonator's
    // present pitch: the stored normalPitch (4 x 1024^v Hz), so a program
    // re-applies its tuning to the same pitches it was saved with.
    for (int32_t i = 0; i < kNumCombs; ++i) {
        const double hz = std::exp2(2.0 + 10.0 * static_cast<double>(currentCombs[i].normalPitch));
        cents[kFirstCombNote + i] = 1200.0 * std::log2(hz / tuningMap.baseFrequency);
    }
    tuneKeys(*scale, *mapping, tuningMap.baseFrequency, cents);
    tuningMap.assign(cents, tuningNameOf(*scale, files, TuningMap::kNameSize - 1).c_str());
    scalaScalePath = files.scalePath;
    return true;
}
