#include "editor/AboutBox.h"

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

extern char** environ;

namespace about_box {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

// Without the host's library path and preloads, which would make the dialog
// load the host's own copies of its toolkit.
std::vector<std::string> cleanEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "LD_LIBRARY_PATH=", 16) == 0 || std::strncmp(*e, "LD_PRELOAD=", 11) == 0)
            continue;
        env.emplace_back(*e);
    }
    return env;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& t : texts)
        pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

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
        std::vector<std::string> env = cleanEnvironment();
        std::vector<char*> argv = pointersTo(args);
        std::vector<char*> envp = pointersTo(env);

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
