// The files a program's tuning comes from, as its record's tuning path field
// names them: a ".tun" map, or a Scala scale and/or keyboard mapping. "*..."
// (the resonators' own pitches) and the empty field (equal temperament) name none.
#pragma once

#include "programs/ProgramRecord.h"

#include <string>

struct TuningFiles {
    std::string tun;
    std::string scale;
    std::string mapping;

    bool empty() const { return tun.empty() && scale.empty() && mapping.empty(); }
};

TuningFiles tuningFilesOf(const ProgramRecord& record);

// Writes the files that are not empty in `replacements` into the record's field in
// place of those it names; false, leaving the field as it was, when the result is
// too long for it.
bool replaceTuningFiles(ProgramRecord& record, const TuningFiles& replacements);

// Whether the tuning the record names loads as the program would load it: false
// (with the reason) for a file that is missing or refused. True when it names no file.
bool tuningLoads(const ProgramRecord& record, std::string& why);

bool isRegularFile(const std::string& path);
