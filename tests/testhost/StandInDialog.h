// A stand-in for the desktop's file dialog, first on PATH for a test's life:
// it answers like zenity, printing the "chosen" file or exiting with status 1
// for a cancel, and counts its runs.
#pragma once

#include "tests/testhost/ScratchDirectory.h"

#include <string>

namespace testhost {

class StandInDialog {
public:
    explicit StandInDialog(const std::string& purpose) : tools(purpose, ScratchDirectory::kFirstOnPath) {}

    void choose(const std::string& file) { write("printf '%s\\n' '" + file + "'"); }
    void cancel() { write("exit 1"); }
    int runs() const { return static_cast<int>(readWholeFile(tools.path() + "/runs").size()); }
    const std::string& folder() const { return tools.path(); }

private:
    void write(const std::string& body) { tools.writeScript("zenity", "printf x >> '" + tools.path() + "/runs'\n" + body); }

    ScratchDirectory tools;
};

}  // namespace testhost
