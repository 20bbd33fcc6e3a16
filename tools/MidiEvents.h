// MIDI to play into the plug-in during a render: short channel messages at
// times in seconds, from a Standard MIDI File or from --note options.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovarine::cli {

struct TimedMidi {
    double seconds = 0.0;
    uint8_t bytes[3] = {0, 0, 0};
};

// Channel messages of all tracks with their times from the file's tempo map;
// meta events and system exclusive messages are left out. Throws ToolError
// for a missing or malformed file.
std::vector<TimedMidi> readMidiFile(const std::string& path);

// "CH:NOTE:VEL:START:LENGTH" (channel 1..16, seconds) -> note on and note off.
// Throws a usage error for anything malformed or out of range.
std::vector<TimedMidi> parseNoteOption(const std::string& text);

}  // namespace tovarine::cli
