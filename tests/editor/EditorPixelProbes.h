// Pixels of the editor's type selector and bar display for factory program 0 with no
// note playing, as the Linux editor draws them. The Windows editor must show the same
// colours at the same points. Codes: Y bar yellow, B dark brown, D dimmed bar (a
// resonator whose Out is 0), P the panel between unselected segments.
#pragma once

#include <cstdint>
#include <cstring>

namespace editor_probes {

inline constexpr int kSegmentWidths[15] = {49, 44, 33, 36, 16, 22, 21, 22, 37, 21, 21, 74, 67, 65, 82};
inline constexpr int kSelectorLeft = 11;
inline constexpr int kSelectorFillRow = 95;  // above the labels
inline constexpr int kSelectorEdgeRow = 99;  // on the lines between segments
inline constexpr const char* kSegmentCentres = "BBBYBBBBBBBBBBB";
inline constexpr const char* kSegmentEdges = "PPBPPPPPPPPPPP";  // segments 1 to 14

struct BarRow {
    int y;
    const char* columns;  // 88 codes, at x = 14 + 7 * column
};
inline constexpr BarRow kBarRows[] = {
    {322, "YYDDDDDDDDDDDDDDDDDDDYYYYYDDDDDBBDDDDDBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB"},
    {270, "YYDDDDDDDDDDDDDDDDDDDYYYYYDDDDDBBDDDDDBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB"},
    {225, "BYBDDDDDDDDDDDDDDDDDDYYYYYDDDDDBBDDDDDBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB"},
};

// 0x00RRGGBB of a code.
constexpr uint32_t colourOf(char code)
{
    switch (code) {
    case 'Y':
        return 0xFFE63A;
    case 'D':
        return 0x9A6B15;
    case 'P':
        return 0x301E0E;
    default:
        return 0x794309;
    }
}

// Calls check(x, y, expected 0x00RRGGBB) for every probe, in frame coordinates.
template <class Check>
void forEachProbe(Check check)
{
    int start = kSelectorLeft;
    for (int segment = 0; segment < 15; ++segment) {
        check(start + kSegmentWidths[segment] / 2, kSelectorFillRow, colourOf(kSegmentCentres[segment]));
        if (segment > 0)
            check(start, kSelectorEdgeRow, colourOf(kSegmentEdges[segment - 1]));
        start += kSegmentWidths[segment];
    }
    for (const BarRow& row : kBarRows)
        for (int column = 0; column < int(std::strlen(row.columns)); ++column)
            check(14 + 7 * column, row.y, colourOf(row.columns[column]));
}

}  // namespace editor_probes
