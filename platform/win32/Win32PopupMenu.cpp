#include "platform/win32/Win32PopupMenu.h"

namespace {
// Menu command ids are the entries' commands plus one: 0 means no choice.
HMENU buildMenu(const std::vector<PopupMenuEntry>& entries)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return nullptr;
    for (const PopupMenuEntry& entry : entries) {
        UINT flags = entry.columnBreak ? MF_MENUBARBREAK : 0;
        switch (entry.kind) {
        case PopupMenuEntry::kSeparator:
            AppendMenuA(menu, flags | MF_SEPARATOR, 0, nullptr);
            continue;
        case PopupMenuEntry::kSubmenu:
            if (HMENU submenu = buildMenu(entry.submenu)) {
                if (!AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), entry.text.c_str()))
                    DestroyMenu(submenu);
            }
            continue;
        case PopupMenuEntry::kGreyed:
        case PopupMenuEntry::kTitle:
            // A title is a disabled entry shown as the menu's default (bold) item.
            AppendMenuA(menu, flags | MF_STRING | MF_GRAYED, 0, entry.text.c_str());
            if (entry.kind == PopupMenuEntry::kTitle)
                SetMenuDefaultItem(menu, GetMenuItemCount(menu) - 1, TRUE);
            continue;
        case PopupMenuEntry::kItem:
            AppendMenuA(menu, flags | MF_STRING | (entry.checked ? MF_CHECKED : MF_UNCHECKED), UINT_PTR(entry.command + 1),
                entry.text.c_str());
            continue;
        }
    }
    return menu;
}
}  // namespace

int32_t trackPopupMenu(HWND owner, const std::vector<PopupMenuEntry>& entries, int x, int y, bool rightButton)
{
    HMENU menu = buildMenu(entries);
    if (!menu)
        return -1;
    // The choice comes back as the answer rather than as a command message to the window.
    const UINT flags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY | (rightButton ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON);
    const int chosen = int(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
    DestroyMenu(menu);  // destroys the submenus with it
    return chosen > 0 ? chosen - 1 : -1;
}
