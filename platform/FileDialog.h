// The system's open-file dialog, run as a child process: zenity, or kdialog
// where zenity is missing. Used for tuning maps and impulse WAV files.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

class FileDialog {
public:
    struct Request {
        std::string title;          // window title
        std::string filterName;     // e.g. "TUN files (*.tun)"
        std::string filterPattern;  // e.g. "*.tun"
        std::string initialPath;    // pre-filled file name; may be empty
        std::size_t maxPathLength = 0;  // a longer choice counts as cancel; 0 = no limit
        struct Filter {
            std::string name;     // e.g. "Scala scales (*.scl)"
            std::string pattern;  // e.g. "*.scl"; several are separated by spaces
        };
        std::vector<Filter> moreFilters = {};  // offered after the first
    };

    // Shows the dialog and blocks until the user decides. Answers the chosen
    // path, or nothing when the user cancels, no dialog program exists or it
    // fails. whileWaiting, if set, runs about every 50 ms meanwhile (the
    // editor keeps its window painted with it).
    static std::optional<std::string> openFile(const Request& request,
                                               const std::function<void()>& whileWaiting = {});

    // What the user must install before openFile can show a dialog, or null
    // when a dialog program is there.
    static const char* missingProgramHint();

    // Full path of an executable found on PATH, or empty.
    static std::string findProgram(const std::string& name);
};
