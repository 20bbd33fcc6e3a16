#include "tests/testhost/DialogCancel.h"

#include <windows.h>

#include <atomic>
#include <thread>

namespace testhost {

// A watcher that presses Cancel on every dialog window.
struct FileDialogsCancelled::StandIn {
    std::atomic<bool> stop{false};
    std::thread watcher{[this] {
        while (!stop) {
            if (HWND dialog = FindWindowA("#32770", nullptr))
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            Sleep(5);
        }
    }};
    ~StandIn()
    {
        stop = true;
        watcher.join();
    }
};

FileDialogsCancelled::FileDialogsCancelled() : standIn(std::make_unique<StandIn>()) {}

FileDialogsCancelled::~FileDialogsCancelled() = default;

}  // namespace testhost
