// The editor's skin, drawn in code with Cairo the first time it is needed:
// no image files to ship or load. Ids are the editor's bitmap resource ids.
#pragma once

#include <cairo.h>

namespace skin {

constexpr int kBackgroundId = 1;        // 640 x 420 window background
constexpr int kKnobHandleId = 100;      // 5 x 5 handle dot
constexpr int kKnobBackgroundId = 101;  // 30 x 30 knob body
constexpr int kSelectorStripId = 102;   // 617 x 420: 15 images of 28 rows, one per selected segment

constexpr int kSelectorSegments = 15;
constexpr int kSelectorImageHeight = 28;
extern const int kSelectorSegmentWidths[kSelectorSegments];
extern const char* const kSelectorLabels[kSelectorSegments];

// A new RGB24 image of the resource, or null for an unknown id. The caller owns it.
cairo_surface_t* createSkinImage(int resourceId);

}  // namespace skin
