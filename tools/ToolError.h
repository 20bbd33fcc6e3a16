// The one failure type of the command-line tool: a message for the user and
// the process exit code (2 for a wrong command line, 1 for everything else).
#pragma once

#include <stdexcept>
#include <string>

namespace tovarine::cli {

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& message, int exitCode = 1)
        : std::runtime_error(message), exitCode_(exitCode) {}
    int exitCode() const { return exitCode_; }

private:
    int exitCode_;
};

inline ToolError usageError(const std::string& message) { return ToolError(message, 2); }

}  // namespace tovarine::cli
