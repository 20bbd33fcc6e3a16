// A one-line progress bar on standard error, drawn only when standard error
// is a terminal and the work has already taken more than a second.
#pragma once

#include <chrono>
#include <cstddef>

namespace tovarine::cli {

class ProgressBar {
public:
    ProgressBar(bool wanted, double sampleRate);
    ~ProgressBar();  // clears the line if one was drawn

    // planned 0: the length is still open (an automatic tail).
    void update(std::size_t done, std::size_t planned);
    void finish();

private:
    bool enabled_;
    bool drawn_ = false;
    double sampleRate_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace tovarine::cli
