// The bundle's Turtle, written on the build machine from the parameter table
// and the factory programs the plug-in itself is built from.
#pragma once

#include "programs/ProgramRecord.h"

#include <ostream>
#include <string>

namespace bundle_turtle {

// A decimal that reads back as exactly `value` ("0.1", "1.0").
std::string number(float value);
// A Turtle string literal with quotes.
std::string quoted(const std::string& text);
// Part `part` (0 = major) of a dotted version; 0 where it has none.
int versionPart(const char* version, int part);

// The defaults of the parameter ports are the values of the program a new instance starts with.
void writePlugin(std::ostream& out, const ProgramRecord& startProgram);
// `factory` holds the kNumPrograms records a new instance starts with.
void writePresets(std::ostream& out, const ProgramRecord* factory);
void writeManifest(std::ostream& out, const ProgramRecord* factory);

}  // namespace bundle_turtle
