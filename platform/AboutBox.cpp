#include "editor/AboutBox.h"

#include "platform/ChildEnvironment.h"
#include "platform/FileDialog.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace about_box {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

}  // namespace

bool show(const std::function<void()>& whileWaiting)
{
    return showMessage(kText, whileWaiting);
}

bool showMessage(const char* text, const std::function<void()>& whileWaiting)
{
    try {
        // zenity, or kdialog on desktops without it; no box when neither exists.
        std::vector<std::string> args;
        if (std::string zenity = FileDialog::findProgram("zenity"); !zenity.empty())
            args = {zenity, "--info", std::string("--title=") + kCaption, std::string("--text=") + text, "--no-markup"};
        else if (std::string kdialog = FileDialog::findProgram("kdialog"); !kdialog.empty())
            args = {kdialog, "--title", kCaption, "--msgbox", text};
        else
            return false;
        const pid_t pid = child_process::spawnDesktopProgram(args);
        if (pid < 0)
            return false;

        for (;;) {
            int status = 0;
            const pid_t waited = waitpid(pid, &status, WNOHANG);
            if (waited == pid)
                return true;
            if (waited < 0 && errno != EINTR)
                return true;  // the host reaps its children itself
            if (whileWaiting)
                whileWaiting();
            if (child_process::waitAbandoned()) {
                child_process::endAbandoned(pid);
                return true;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
    } catch (...) {
        return false;  // out of memory building the command: no box
    }
}

}  // namespace about_box
