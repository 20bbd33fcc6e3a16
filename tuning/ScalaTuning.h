// A scale and a keyboard mapping together: the pitches of the 128 MIDI keys,
// the name the editor shows, and how a program stores the pair of files.
#pragma once

#include "tuning/KeyboardMapping.h"
#include "tuning/ScalaScale.h"

#include <optional>
#include <string>
#include <string_view>

// Writes the pitch of every key the mapping retunes into cents[key], in
// cents above baseFrequency: key k sounds at
//   referenceFrequency x 2^((c(degree of k) - c(degree of the reference key)) / 1200),
// c being the scale's cents of a degree. Keys the mapping leaves alone keep
// what cents held.
void tuneKeys(const ScalaScale& scale, const KeyboardMapping& mapping, double baseFrequency, double (&cents)[128]);

// The files a Scala tuning comes from; either may be empty (no scale:
// 12-tone equal temperament; no mapping: the default mapping), not both.
struct ScalaFiles {
    std::string scalePath;
    std::string mappingPath;
};

enum class TuningFileKind { Tun, Scale, Mapping };
// By the file's extension (".scl", ".kbm", any case); anything else is read as a ".tun" map.
TuningFileKind kindOfTuningFile(std::string_view path);

// A program's tuning path field holds the scale's path, the mapping's path,
// or both with a line break between them: a line break cannot come out of the
// file dialog, so it never splits a real path. Nothing for a ".tun" path,
// "*..." and the empty standard.
std::optional<ScalaFiles> scalaFilesOf(std::string_view storedPath);
std::string storedPathOf(const ScalaFiles& files);

// What the editor shows: the scale's description (its file name when it has
// none, "12-TET" without a scale), then the mapping's file name in brackets;
// a long description is cut so the whole fits maxLength characters.
std::string tuningNameOf(const ScalaScale& scale, const ScalaFiles& files, std::size_t maxLength);
