// The editor's two house colours.
#pragma once

#include "gui/CColor.h"

namespace editor_colours {

inline constexpr CColor kBarYellow{255, 230, 58, 0};  // bars, titles, full envelope level, label background
inline constexpr CColor kDarkBrown{121, 67, 9, 0};    // display background and grid, zero level, label text

}  // namespace editor_colours
