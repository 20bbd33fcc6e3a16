#include "tools/ProgressBar.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace tovarine::cli {

namespace {
constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;
}  // namespace

ProgressBar::ProgressBar(bool wanted, double sampleRate)
    : enabled_(wanted && isatty(STDERR_FILENO)), sampleRate_(sampleRate), start_(std::chrono::steady_clock::now()), lastDraw_(start_)
{
}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update(std::size_t done, std::size_t planned)
{
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < kQuietStart || now - lastDraw_ < kRedrawInterval)
        return;
    lastDraw_ = now;
    const double seconds = static_cast<double>(done) / sampleRate_;
    if (planned > 0) {
        const double fraction = static_cast<double>(done) / static_cast<double>(planned);
        const int filled = static_cast<int>(fraction * kBarWidth);
        const std::string bar = std::string(static_cast<std::size_t>(filled), '#') + std::string(static_cast<std::size_t>(kBarWidth - filled), '-');
        std::fprintf(stderr, "\rrendering [%s] %3d%%  %.1f s ", bar.c_str(), static_cast<int>(fraction * 100), seconds);
    } else {
        std::fprintf(stderr, "\rrendering the tail ... %.1f s ", seconds);
    }
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::finish()
{
    if (drawn_)
        std::fprintf(stderr, "\r\033[K");
    drawn_ = false;
}

}  // namespace tovarine::cli
