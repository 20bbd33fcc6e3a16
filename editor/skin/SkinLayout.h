// The skin's bitmap resource ids and the layout of the selector strip: what the editor
// needs of the skin on every platform (the art itself is drawn by SkinArt).
#pragma once

namespace skin {

constexpr int kBackgroundId = 1;        // 640 x 420 window background
constexpr int kKnobHandleId = 100;      // 5 x 5 handle dot
constexpr int kKnobBackgroundId = 101;  // 30 x 30 knob body
constexpr int kSelectorStripId = 102;   // 617 x 420: 15 images of 28 rows, one per selected segment

constexpr int kSelectorSegments = 15;
constexpr int kSelectorImageHeight = 28;
inline constexpr int kSelectorSegmentWidths[kSelectorSegments] = {49, 44, 33, 36, 16, 22, 21, 22, 37, 21, 21, 74, 67, 65, 82};
// One per resonator setting, in selector order (pitch first).
inline constexpr const char* kSelectorLabels[kSelectorSegments] = {
    "Pitch", "Decay", "Bright", "Stiff", "A", "D", "S", "R", "Out", "In", "Pos", "Velocity", "LFO Rate", "LFO>Bright", "LFO>Pan"};

}  // namespace skin
