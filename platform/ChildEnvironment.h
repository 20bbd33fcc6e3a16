// What the plug-in hands to the desktop programs it starts (file dialog, about box).
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace child_process {

// The process environment without the library search path or preloads that
// bundled hosts set for themselves: zenity and kdialog would load the host's
// copies of GTK or Qt and fail.
std::vector<std::string> cleanEnvironment();

// NULL-terminated pointers into texts, for posix_spawn; valid while texts lives.
std::vector<char*> pointersTo(std::vector<std::string>& texts);

// Starts args[0] (a full path) with the clean environment and /dev/null as its
// input; its output goes to `outputFd` unless that is -1. The child's pid, or
// -1 when it could not be started.
pid_t spawnDesktopProgram(std::vector<std::string> args, int outputFd = -1);

// Set by an editor that runs on a thread of its own (the LV2 UI): the dialogs this
// thread waits for are ended, and the wait given up, once `abandoned` answers true
// (the host closed the editor). Empty, the default, waits to the end.
void abandonWaitsWhen(std::function<bool()> abandoned);
// Gives up the calling thread's current wait, from the code it runs while waiting
// (for waits in a module other than the one that called abandonWaitsWhen).
void abandonCurrentWait();
// True when the calling thread's wait is to be given up.
bool waitAbandoned();
// Ends a dialog whose wait was given up and collects it, so nothing stays running.
void endAbandoned(pid_t pid);

}  // namespace child_process
