// What the plug-in hands to the desktop programs it starts (file dialog, about box).
#pragma once

#include <string>
#include <vector>

namespace child_process {

// The process environment without the library search path or preloads that
// bundled hosts set for themselves: zenity and kdialog would load the host's
// copies of GTK or Qt and fail.
std::vector<std::string> cleanEnvironment();

// NULL-terminated pointers into texts, for posix_spawn; valid while texts lives.
std::vector<char*> pointersTo(std::vector<std::string>& texts);

}  // namespace child_process
