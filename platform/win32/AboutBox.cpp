// The about box on Windows: a modal message box with no owner window. Its own message
// loop keeps painting the editor's window while it is open.
#include "editor/AboutBox.h"

#include <windows.h>

namespace about_box {

bool show(const std::function<void()>& whileWaiting)
{
    return showMessage(kText, whileWaiting);
}

bool showMessage(const char* text, const std::function<void()>&)
{
    return MessageBoxA(nullptr, text, kCaption, MB_OK) != 0;
}

}  // namespace about_box
