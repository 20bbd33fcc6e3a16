#include "gui/FontTable.h"

namespace {
// "Arial" is rendered by Liberation Sans, which has the same advance widths, so text
// laid out for Arial fits its rectangles. "Symbol" is left to fontconfig's alias rules.
constexpr FontTableEntry kFonts[kNumFonts] = {
    {12, "Arial", "Liberation Sans", true},
    {18, "Arial", "Liberation Sans", false},
    {14, "Arial", "Liberation Sans", false},
    {12, "Arial", "Liberation Sans", false},
    {11, "Arial", "Liberation Sans", false},
    {10, "Arial", "Liberation Sans", false},
    {9, "Arial", "Liberation Sans", false},
    {13, "Symbol", "Symbol", false},
};
}  // namespace

const FontTableEntry& fontTableEntry(int32_t index)
{
    if (index < 0 || index >= kNumFonts)
        index = 0;
    return kFonts[index];
}
