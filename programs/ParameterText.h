// What the host is told about the 43 global parameters: names, labels and
// value displays. Pure functions of (index, value), so hosts, the editor and
// tests all see the same texts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace parameter_text {

// Hosts hand out at least 8 characters + NUL for labels and displays; the
// names of this plug-in are up to nine characters ("Mix (Wet)"), which every
// VST 2 host accepts (their name buffers are 32 bytes or more).
constexpr std::size_t kNameBufferSize = 10;
constexpr std::size_t kLabelBufferSize = 9;
constexpr std::size_t kDisplayBufferSize = 9;

// Indices outside 0..42 get an empty text.
void name(int32_t index, char* text);
// Eight blanks for every parameter: the plug-in shows no units.
void label(int32_t index, char* text);
// The stored value with four decimals ("0.2000"), as stored (the three mode
// parameters are not multiplied by 10 here).
void display(int32_t index, float value, char* text);

}  // namespace parameter_text
