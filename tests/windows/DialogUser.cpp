#include "tests/windows/DialogUser.h"

#include <windows.h>

#include <dlgs.h>

DialogUser::DialogUser(std::string title_, std::string answer_)
    : title(std::move(title_)), answer(std::move(answer_)), worker([this] { watch(); })
{
}

DialogUser::~DialogUser()
{
    stop = true;
    worker.join();
}

void DialogUser::watch()
{
    while (!stop) {
        HWND dialog = FindWindowA("#32770", title.c_str());
        if (!dialog || !IsWindowVisible(dialog)) {
            Sleep(20);
            continue;
        }
        char text[256] = {};
        if (HWND types = GetDlgItem(dialog, cmb1))
            SendMessageA(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        filter = text;
        if (answer.empty()) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        } else {
            // The Explorer-style dialog has a combo box for the name, the old style an edit field.
            HWND name = GetDlgItem(dialog, cmb13);
            if (!name)
                name = GetDlgItem(dialog, edt1);
            SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str()));
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        }
        seen = true;
        return;
    }
}
