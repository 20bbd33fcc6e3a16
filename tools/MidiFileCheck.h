// A structural check of a Standard MIDI File before libsmf reads it. libsmf
// accepts files cut short (a track chunk longer than what is left, tracks
// missing) and aborts the process on a track without its End of Track event;
// a render from such a file would play half a song with hanging notes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovarine::cli {

// Throws ToolError naming `path` and the first problem: a header that is not
// MThd, a format other than 0 or 1, a chunk running past the end of the file,
// fewer track chunks than the header announces, an event that cannot be
// parsed or that libsmf would abort on (an F7 system exclusive continuation),
// or a track without End of Track.
void checkStandardMidiFile(const std::vector<uint8_t>& bytes, const std::string& path);

}  // namespace tovarine::cli
