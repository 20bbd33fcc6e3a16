// Writes a whole program store as C++ assignment statements, in the form of
// the factory preset table, so a sound designed in the plug-in can be pasted
// into the factory data.
#pragma once

#include "programs/ProgramRecord.h"

#include <string>

// Where the export goes: ~/TovarineOutputProgram.cpp on Linux (empty when HOME
// is not set), C:\TovarineOutputProgram.cpp on Windows. Defined by the platform layer.
std::string defaultExportPath();

// Writes the kNumPrograms records of programs to path, truncating an existing
// file. Answers 0 on success and -1 when the file cannot be opened or a write
// or the close fails.
int exportPrograms(const ProgramRecord* programs, const char* path);
