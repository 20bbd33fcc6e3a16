// An output file in the making. Its temporary file is created at once, beside
// the target, so an output that cannot be written fails before any work is
// done; it is filled later and renamed over the target only when complete, so
// a failed or interrupted run never leaves a half-written file. "-" stands for
// standard output: the file is made in the temporary folder and copied out.
#pragma once

#include <string>

namespace tovarine::cli {

class PendingOutput {
public:
    // Throws ToolError (a usage error for an empty name) when the file cannot be made.
    explicit PendingOutput(std::string path);
    ~PendingOutput();  // removes the temporary file unless committed

    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporary_; }
    bool toStandardOutput() const { return path_ == "-"; }

    // Renames the finished temporary file to the target (or copies it to
    // standard output). Throws ToolError with the reason when that fails.
    void commit();

private:
    std::string path_;
    std::string temporary_;
    bool committed_ = false;
};

}  // namespace tovarine::cli
