#include "editor/AboutBox.h"

#include "platform/ChildEnvironment.h"
#include "platform/FileDialog.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
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
    try {
        // zenity, or kdialog on desktops without it; no box when neither exists.
        std::vector<std::string> args;
        if (std::string zenity = FileDialog::findProgram("zenity"); !zenity.empty())
            args = {zenity, "--info", std::string("--title=") + kCaption, std::string("--text=") + kText, "--no-markup"};
        else if (std::string kdialog = FileDialog::findProgram("kdialog"); !kdialog.empty())
            args = {kdialog, "--title", kCaption, "--msgbox", kText};
        else
            return false;
        std::vector<std::string> env = child_process::cleanEnvironment();
        std::vector<char*> argv = child_process::pointersTo(args);
        std::vector<char*> envp = child_process::pointersTo(env);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
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
            std::this_thread::sleep_for(kPollInterval);
        }
    } catch (...) {
        return false;  // out of memory building the command: no box
    }
}

}  // namespace about_box
