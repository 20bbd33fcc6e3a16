// Popup menus with TrackPopupMenu: submenus, check marks, column breaks, separators,
// greyed entries and titles; modal until a choice or a dismissal.
#pragma once

#include "gui/PlatformFrame.h"

#include <windows.h>

// Shows the entries at the screen point, owned by the window. Answers the chosen
// entry's command, or -1.
int32_t trackPopupMenu(HWND owner, const std::vector<PopupMenuEntry>& entries, int x, int y, bool rightButton);
