// Tuning the 88 resonators: resonator i plays MIDI note 12 + i at the
// frequency the TuningMap gives it. Its pitch is stored as normalPitch
// (f = 4 * 1024^v Hz) and its loop period as Delay = sampleRate / f samples.
#include "engine/ResonatorEngine.h"

#include "platform/FileDialog.h"
#include "programs/CombParameterTypes.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace {

bool isRegularFile(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isUsableFrequency(double hz)
{
    return std::isfinite(hz) && hz > 0.0;
}

}  // namespace

bool ResonatorEngine::fileDialogMissing()
{
    const char* hint = FileDialog::missingProgramHint();
    fileDialogHint.store(hint, std::memory_order_release);
    if (!hint)
        return false;
    if (!toldFileDialogHint.exchange(true))
        std::fprintf(stderr, "Tovarine: %s\n", hint);
    showCombParameterInEditor(-1);
    return true;
}

void ResonatorEngine::loadTuning(bool askUser)
{
    if (!programs)
        return;
    // A host that asks the user itself sends the choice later (loadTuningFile); until then nothing changes.
    if (askUser && hostChoosesFile(FileChoice::TuningMap))
        return;
    // Without a dialog the choice cannot be made: the tuning stays as it is
    // (a cancelled dialog would drop the program's map).
    if (askUser && fileDialogMissing())
        return;
    std::string path;
    bool needDialog = true;
    {
        ControlScope scope(*this);
        const ProgramRecord& program = programs[curProgram];
        path.assign(program.tuningMapPath, boundedLength(program.tuningMapPath, kTuningMapPathSize));
        if (!askUser && path.empty()) {
            tuningMap.resetToStandard();
            scalaScalePath.clear();
            needDialog = false;
        } else if (applyStoredTuning(path) && !askUser) {
            needDialog = false;
        }
    }
    // The program's file is missing: where the host asks for another, the program keeps naming
    // it and plays what applyStoredTuning left (the standard tuning) until the answer comes.
    if (needDialog && !askUser && hostChoosesFile(FileChoice::TuningMap))
        needDialog = false;

    // The dialog holds no lock of its own: other threads keep changing settings meanwhile.
    if (needDialog) {
        FileDialog::Request request;
        request.title = "Open a Scala .TUN File";
        request.filterName = "Tuning files (*.tun *.scl *.kbm)";
        request.filterPattern = "*.tun *.scl *.kbm";
        request.moreFilters = {{"TUN files (*.tun)", "*.tun"},
                               {"Scala scales (*.scl)", "*.scl"},
                               {"Scala keyboard mappings (*.kbm)", "*.kbm"}};
        request.initialPath = path.substr(0, path.find('\n'));
        const std::optional<std::string> chosen = FileDialog::openFile(request, [this] { idleWhileWaiting(); });
        if (chosen && isRegularFile(*chosen)) {
            if (!hostLoadsFile(FileChoice::TuningMap, *chosen))
                loadTuningFile(*chosen);
            return;
        }
    }

    ControlScope scope(*this);
    if (needDialog)
        programs[curProgram].tuningMapPath[0] = '\0';  // cancelled: the standard tuning from now on
    showRetunedCombs();
}

bool ResonatorEngine::loadTuningFile(const std::string& path)
{
    if (!programs || !isRegularFile(path))
        return false;
    ControlScope scope(*this);
    // What a refused Scala file must leave as it was.
    const TuningMap mapBefore = tuningMap;
    const std::string scaleBefore = scalaScalePath;
    if (!applyChosenTuning(path)) {
        const std::string error = tuningMap.getErrorText();
        tuningMap = mapBefore;
        scalaScalePath = scaleBefore;
        std::snprintf(tuningMap.errorText, sizeof(tuningMap.errorText), "%s", error.c_str());
        return false;
    }
    showRetunedCombs();
    return true;
}

void ResonatorEngine::showRetunedCombs()
{
    retuneAllCombs();
    setParameter(1, 0.f);  // the per-resonator selector shows the pitch
    showCombParameterInEditor(comb_type::kPitch);
}

bool ResonatorEngine::applyStoredTuning(const std::string& path)
{
    if (const std::optional<ScalaFiles> files = scalaFilesOf(path)) {
        if (applyScalaFiles(*files))
            return true;
        // As after a failed ".tun" load: the standard table, with the reason kept.
        const std::string error = tuningMap.getErrorText();
        tuningMap.resetToStandard();
        scalaScalePath.clear();
        std::snprintf(tuningMap.errorText, sizeof(tuningMap.errorText), "%s", error.c_str());
        return false;
    }
    scalaScalePath.clear();
    return tuningMap.loadFromFile(path.c_str());
}

bool ResonatorEngine::applyChosenTuning(const std::string& path)
{
    ProgramRecord& program = programs[curProgram];
    ScalaFiles files;
    switch (kindOfTuningFile(path)) {
    case TuningFileKind::Tun:
        scalaScalePath.clear();
        if (path.size() >= kTuningMapPathSize) {
            program.tuningMapPath[0] = '\0';  // cannot be stored: taken as a cancel, as the path buffer always did
            return true;
        }
        tuningMap.loadFromFile(path.c_str());  // a file that fails to load is still remembered
        copyText(program.tuningMapPath, sizeof(program.tuningMapPath), path.c_str());
        return true;
    case TuningFileKind::Scale:
        files.scalePath = path;  // a new scale starts with the default mapping
        break;
    case TuningFileKind::Mapping:
        files = {scalaScalePath, path};  // the mapping maps the scale in force
        break;
    }
    if (!applyScalaFiles(files))
        return false;
    const std::string stored = storedPathOf(files);
    if (stored.size() < kTuningMapPathSize) {
        copyText(program.tuningMapPath, sizeof(program.tuningMapPath), stored.c_str());
    } else {
        program.tuningMapPath[0] = '\0';
        if (!toldTuningNotStored) {
            toldTuningNotStored = true;
            tellUser("The tuning is applied, but the paths of its files are too long to be stored with the program "
                     "(199 characters at most): the program will not reload it.");
        }
    }
    return true;
}

void ResonatorEngine::retuneAllCombs()
{
    ControlScope scope(*this);
    // 1 / ln(1024): v = ln(f / 4) / ln(1024) inverts f = 4 * 1024^v.
    const double perLog1024 = 1.0 / std::log(1024.0);
    for (int32_t i = 0; i < kNumCombs; ++i) {
        const double frequency = tuningMap.frequencyOfNote(kFirstCombNote + i);
        if (!isUsableFrequency(frequency))
            continue;  // keep the resonator where it is rather than store an infinite pitch
        const float pitch = static_cast<float>(std::log(0.25 * frequency) * perLog1024);
        if (programs)
            programs[curProgram].combSettings[i].normalPitch = pitch;
        currentCombs[i].normalPitch = pitch;
        const float period = static_cast<float>(sampleRate / frequency);
        currentCombs[i].Delay = period;
        updateCombDelay(i, period);
    }
}

void ResonatorEngine::deriveTuningFromCombs()
{
    ControlScope scope(*this);
    for (int32_t i = 0; i < kNumCombs; ++i) {
        const double frequency = static_cast<double>(sampleRate) / currentCombs[i].Delay;
        if (isUsableFrequency(frequency))
            tuningMap.setNoteFrequency(kFirstCombNote + i, frequency);
    }
}

const char* ResonatorEngine::getTuningName()
{
    return tuningMap.getName();
}

void ResonatorEngine::nudgeCombParameter(int32_t type, float delta)
{
    float CombSettings::* field = comb_type::fieldOf(type);
    if (!field)
        return;
    ControlScope scope(*this);
    for (int32_t i = 0; i < kNumCombs; ++i)
        setCombParameter(i, type, currentCombs[i].*field + delta);
    lastCombParamType = type;
    showCombParameterInEditor(type);
}

void ResonatorEngine::resetCombParameter(int32_t type)
{
    if (!comb_type::isValid(type))
        return;
    ControlScope scope(*this);
    if (type == comb_type::kPitch) {
        tuningMap.resetToStandard();
        scalaScalePath.clear();
        retuneAllCombs();
        // An empty path is what re-selecting the program treats as the standard tuning.
        if (programs)
            programs[curProgram].tuningMapPath[0] = '\0';
    } else {
        if (type == comb_type::kStiff)
            stiffnessActive = false;
        const float value = comb_type::resetValueOf(type);
        for (int32_t i = 0; i < kNumCombs; ++i)
            setCombParameter(i, type, value);
    }
    lastCombParamType = type;
    showCombParameterInEditor(type);
}
