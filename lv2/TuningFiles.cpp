#include "lv2/TuningFiles.h"

#include "tuning/KeyboardMapping.h"
#include "tuning/ScalaScale.h"
#include "tuning/ScalaTuning.h"
#include "tuning/TuningMap.h"

#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include <sys/stat.h>

namespace {

std::string fieldOf(const ProgramRecord& record)
{
    return std::string(record.tuningMapPath, boundedLength(record.tuningMapPath, kTuningMapPathSize));
}

}  // namespace

bool isRegularFile(const std::string& path)
{
    struct stat info{};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TuningFiles tuningFilesOf(const ProgramRecord& record)
{
    const std::string field = fieldOf(record);
    if (field.empty() || field[0] == '*')
        return {};
    if (const std::optional<ScalaFiles> files = scalaFilesOf(field))
        return {{}, files->scalePath, files->mappingPath};
    return {field, {}, {}};
}

bool replaceTuningFiles(ProgramRecord& record, const TuningFiles& replacements)
{
    std::string field = fieldOf(record);
    if (!replacements.scale.empty() || !replacements.mapping.empty()) {
        ScalaFiles files = scalaFilesOf(field).value_or(ScalaFiles{});
        if (!replacements.scale.empty())
            files.scalePath = replacements.scale;
        if (!replacements.mapping.empty())
            files.mappingPath = replacements.mapping;
        field = storedPathOf(files);
    } else if (!replacements.tun.empty()) {
        field = replacements.tun;
    }
    if (field.size() >= kTuningMapPathSize)
        return false;
    // Zeros after the text: the field's bytes depend on the path alone, not on what it held.
    std::memset(record.tuningMapPath, 0, sizeof(record.tuningMapPath));
    copyText(record.tuningMapPath, sizeof(record.tuningMapPath), field.c_str());
    return true;
}

bool tuningLoads(const ProgramRecord& record, std::string& why)
{
    const TuningFiles files = tuningFilesOf(record);
    for (const std::string* path : {&files.tun, &files.scale, &files.mapping}) {
        if (!path->empty() && !isRegularFile(*path)) {
            why = "no file " + *path;
            return false;
        }
    }
    if (!files.tun.empty()) {
        const auto map = std::make_unique<TuningMap>();
        if (!map->loadFromFile(files.tun.c_str())) {
            why = map->getErrorText();
            return false;
        }
    }
    if (!files.scale.empty() && !readScalaScale(files.scale.c_str(), why))
        return false;
    if (!files.mapping.empty() && !readKeyboardMapping(files.mapping.c_str(), why))
        return false;
    return true;
}
