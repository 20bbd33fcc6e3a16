// A Scala keyboard mapping (".kbm"): which MIDI keys play which degrees of a
// scale, and the frequency of one reference key. Seven header values (map
// size, first and last key to retune, middle key, reference key, reference
// frequency, formal-octave degree), then one line per key of the map: a
// degree, or "x" for a key that is left alone. Map size 0 is the linear map:
// key middle + k plays degree k.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct KeyboardMapping {
    static constexpr long long kUnmapped = -1;

    // The default: degree 0 on middle C, which sounds at its equal-tempered
    // 261.6256 Hz, every key retuned, linear.
    int firstKey = 0;
    int lastKey = 127;
    int middleKey = 60;
    int referenceKey = 60;
    double referenceFrequency = 261.6255653005986;
    long long formalOctaveDegree = 0;  // degrees from one repetition of the map to the next
    std::vector<long long> keys;  // degrees of the keys from middleKey up; kUnmapped for "x"; empty = linear

    // The degree key plays, or nothing for an "x" key of the map.
    std::optional<long long> degreeOfKey(int key) const;
    bool retunes(int key) const { return key >= firstKey && key <= lastKey; }
};

// The whole text as a mapping, or nothing when the text is not one; then
// error holds one message naming fileName, the line and what was expected.
std::optional<KeyboardMapping> parseKeyboardMapping(std::string_view text, std::string_view fileName, std::string& error);
std::optional<KeyboardMapping> readKeyboardMapping(const char* path, std::string& error);
