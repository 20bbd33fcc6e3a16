#include "analysis/ImpulseCommand.h"

#include "analysis/ImpulseAnalyser.h"
#include "engine/ResonatorEngine.h"
#include "platform/FileDialog.h"
#include "programs/CombParameterTypes.h"

#include <array>
#include <cmath>
#include <exception>
#include <optional>
#include <string>

bool applyImpulseAnalysis(ResonatorEngine& engine, const char* path)
{
    ImpulseAnalyser analyser;
    analyser.open(path);
    if (!analyser.valid)
        return false;
    analyser.fftSize = ImpulseAnalyser::kWindowLength;

    // Each resonator starts from its tuned pitch f as a fraction of the
    // recording's Nyquist frequency, normFreq = 2 f / fileRate, and from its
    // loop period counted in the recording's samples. At the host's rate
    // instead, a 44.1 kHz file under a 48 kHz host would be measured 1.5
    // semitones away from each resonator's pitch. A header without a
    // plausible rate is taken to match the host.
    const double hostRate = engine.getSampleRate();
    const double headerRate = analyser.fileSampleRate;
    const double fileRate = headerRate >= 1000.0 && headerRate <= 1000000.0 ? headerRate : hostRate;
    // The analysis runs on a copy of what it starts from, without the control lock.
    std::array<CombEstimate, kNumCombs> estimates{};
    {
        ResonatorEngine::ControlScope scope(engine);
        for (int i = 0; i < kNumCombs; ++i) {
            const CombSettings& comb = engine.currentCombs[i];
            const double frequency = engine.getTuningMap().frequencyOfNote(kFirstCombNote + i);
            estimates[static_cast<std::size_t>(i)] = {static_cast<float>(2.0 * frequency / fileRate),
                                                      static_cast<float>(comb.Delay * fileRate / hostRate), comb.Out,
                                                      0.0f, 0.0f};
        }
    }
    if (analyser.analyse(ImpulseAnalyser::kWindowLength, ImpulseAnalyser::kOverlap, kNumCombs, estimates.data()) != 0)
        return false;

    // setCombParameter skips a value that is not finite, which would leave the
    // resonators half changed: all results must be usable, or none is taken.
    for (const CombEstimate& e : estimates)
        if (!std::isfinite(e.decay) || !std::isfinite(e.bright) || !std::isfinite(e.level))
            return false;

    // setCombParameter clamps to 0..1 (a level above 1 becomes 1). All 88 reach the audio thread together.
    ResonatorEngine::ControlScope scope(engine);
    for (int i = 0; i < kNumCombs; ++i) {
        const CombEstimate& e = estimates[static_cast<std::size_t>(i)];
        engine.setCombParameter(i, comb_type::kDecay, e.decay);
        engine.setCombParameter(i, comb_type::kBright, e.bright);
        engine.setCombParameter(i, comb_type::kOut, e.level);
    }
    return true;
}

void ResonatorEngine::analyseImpulse()
{
    // A host that asks the user itself sends the choice later (analyseImpulseFile).
    if (hostChoosesFile(FileChoice::ImpulseResponse))
        return;
    if (fileDialogMissing())
        return;
    FileDialog::Request request;
    request.title = "Open a .WAV File";
    request.filterName = "WAV files (*.wav)";
    request.filterPattern = "*.wav";
    std::optional<std::string> chosen;
    try {
        chosen = FileDialog::openFile(request, [this] { idleWhileWaiting(); });
    } catch (const std::exception&) {
    }
    if (!chosen)
        showCombParameterInEditor(-1);
    else if (!hostLoadsFile(FileChoice::ImpulseResponse, *chosen))
        analyseImpulseFile(*chosen);
}

bool ResonatorEngine::analyseImpulseFile(const std::string& path)
{
    // The analysis holds a few megabytes; running out of memory must end it
    // here, before any setting has changed, not in the host that called us.
    bool analysed = false;
    try {
        analysed = applyImpulseAnalysis(*this, path.c_str());
    } catch (const std::exception&) {
    }
    // Whatever the outcome, the editor redraws the type its bar display shows.
    showCombParameterInEditor(-1);
    return analysed;
}
