#include "tuning/ScalaTuning.h"

#include "tuning/ScalaText.h"

#include <algorithm>
#include <cmath>

void tuneKeys(const ScalaScale& scale, const KeyboardMapping& mapping, double baseFrequency, double (&cents)[128])
{
    const std::optional<long long> referenceDegree = mapping.degreeOfKey(mapping.referenceKey);
    if (!referenceDegree || scale.cents.empty())
        return;  // the readers refuse both
    const double referenceCents = 1200.0 * std::log2(mapping.referenceFrequency / baseFrequency);
    const double referenceStep = scale.centsOfDegree(*referenceDegree);
    for (int key = 0; key < 128; ++key) {
        const std::optional<long long> degree = mapping.degreeOfKey(key);
        if (degree && mapping.retunes(key))
            cents[key] = referenceCents + scale.centsOfDegree(*degree) - referenceStep;
    }
}

namespace {

// extension in lower case, with its dot.
bool hasExtension(std::string_view path, std::string_view extension)
{
    if (path.size() <= extension.size())
        return false;
    const std::string_view end = path.substr(path.size() - extension.size());
    for (std::size_t k = 0; k < end.size(); ++k) {
        const char c = end[k];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != extension[k])
            return false;
    }
    return true;
}

}  // namespace

TuningFileKind kindOfTuningFile(std::string_view path)
{
    if (hasExtension(path, ".scl"))
        return TuningFileKind::Scale;
    if (hasExtension(path, ".kbm"))
        return TuningFileKind::Mapping;
    return TuningFileKind::Tun;
}

std::optional<ScalaFiles> scalaFilesOf(std::string_view storedPath)
{
    const std::size_t lineBreak = storedPath.find('\n');
    if (lineBreak != std::string_view::npos) {
        ScalaFiles files{std::string(storedPath.substr(0, lineBreak)), std::string(storedPath.substr(lineBreak + 1))};
        if (kindOfTuningFile(files.scalePath) != TuningFileKind::Scale
            || kindOfTuningFile(files.mappingPath) != TuningFileKind::Mapping)
            return std::nullopt;
        return files;
    }
    switch (kindOfTuningFile(storedPath)) {
    case TuningFileKind::Scale: return ScalaFiles{std::string(storedPath), {}};
    case TuningFileKind::Mapping: return ScalaFiles{{}, std::string(storedPath)};
    case TuningFileKind::Tun: break;
    }
    return std::nullopt;
}

std::string storedPathOf(const ScalaFiles& files)
{
    if (files.scalePath.empty() || files.mappingPath.empty())
        return files.scalePath + files.mappingPath;
    return files.scalePath + '\n' + files.mappingPath;
}

std::string tuningNameOf(const ScalaScale& scale, const ScalaFiles& files, std::size_t maxLength)
{
    std::string name = scale.description;
    if (name.empty())
        name = scala_text::fileNameOf(files.scalePath);
    const std::string mapping = files.mappingPath.empty() ? "" : " (" + scala_text::fileNameOf(files.mappingPath) + ")";
    if (name.size() + mapping.size() > maxLength)
        name.resize(maxLength > mapping.size() ? maxLength - mapping.size() : 0);
    name += mapping;
    name.resize(std::min(name.size(), maxLength));
    return name;
}
