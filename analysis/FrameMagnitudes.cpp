#include "analysis/FrameMagnitudes.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <system_error>
#include <thread>
#include <kiss_fftr.h>

namespace {
// 2 pi as a single-precision constant; the window has always been built with it.
constexpr double kTwoPiFloat = static_cast<double>(6.2831855f);

// Fewer frames than this per thread do not repay starting one.
constexpr int kFramesPerThread = 8;
constexpr unsigned kMaxThreads = 8;

unsigned threadsFor(int frames)
{
    const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), kMaxThreads));
    return std::max(1u, std::min(cores, static_cast<unsigned>(frames / kFramesPerThread)));
}
} // namespace

FrameMagnitudes::Transform::Transform(int fftSize)
    : fft(kiss_fftr_alloc(fftSize, 0, nullptr, nullptr)),
      frame(static_cast<std::size_t>(fftSize)),
      spectrum(static_cast<std::size_t>(fftSize / 2 + 1))
{
    if (!fft)
        throw std::bad_alloc();  // no transform to run; callers treat it as running out of memory
}

FrameMagnitudes::Transform::~Transform()
{
    kiss_fftr_free(fft);
}

FrameMagnitudes::FrameMagnitudes(int fftSize, int hop)
    : fftSize(fftSize), hop(hop), hann(static_cast<std::size_t>(fftSize))
{
    transforms.push_back(std::make_unique<Transform>(fftSize));
    for (int n = 0; n < fftSize; ++n)
        hann[static_cast<std::size_t>(n)] =
            static_cast<float>(0.5 * (1.0 - std::cos(kTwoPiFloat * n / (fftSize - 1))));
}

FrameMagnitudes::~FrameMagnitudes() = default;

void FrameMagnitudes::compute(int frames, std::span<const float> samples)
{
    resize(frames);
    const unsigned threads = threadsFor(frameCount);
    while (transforms.size() < threads)
        transforms.push_back(std::make_unique<Transform>(fftSize));

    // Thread t takes frames [t * count / threads, (t + 1) * count / threads);
    // this thread takes the first share, and the shares of threads that could
    // not be started.
    const auto firstFrame = [&](unsigned t) { return static_cast<int>(static_cast<long long>(frameCount) * t / threads); };
    std::vector<std::thread> workers;
    workers.reserve(threads);
    unsigned started = 1;
    for (; started < threads; ++started) {
        Transform* transform = transforms[started].get();
        const int from = firstFrame(started);
        const int to = firstFrame(started + 1);
        try {
            workers.emplace_back([=, this] { computeFrames(*transform, samples, from, to); });
        } catch (const std::system_error&) {
            break;
        }
    }
    computeFrames(*transforms.front(), samples, 0, firstFrame(1));
    computeFrames(*transforms.front(), samples, firstFrame(started), frameCount);
    for (std::thread& worker : workers)
        worker.join();
}

void FrameMagnitudes::computeFrames(Transform& transform, std::span<const float> samples, int from, int to)
{
    const std::size_t length = static_cast<std::size_t>(fftSize);
    for (int f = from; f < to; ++f) {
        const std::size_t start = static_cast<std::size_t>(hop) * static_cast<std::size_t>(f);
        const std::size_t inside = start < samples.size() ? std::min(length, samples.size() - start) : 0;
        for (std::size_t n = 0; n < inside; ++n)
            transform.frame[n] = samples[start + n] * hann[n];
        std::fill(transform.frame.begin() + static_cast<std::ptrdiff_t>(inside), transform.frame.end(), 0.0f);
        transformFrame(transform, f);
    }
}

void FrameMagnitudes::resize(int frames)
{
    // Every entry is written by the next computation: no need to clear.
    frameCount = frames > 0 ? frames : 0;
    spectra.resize(static_cast<std::size_t>(frameCount) * static_cast<std::size_t>(bins()));
}

void FrameMagnitudes::transformFrame(Transform& transform, int f)
{
    // std::complex<float> has the layout of kiss_fft_cpx: {real, imaginary}.
    auto* bins = reinterpret_cast<kiss_fft_cpx*>(transform.spectrum.data());
    kiss_fftr(transform.fft, transform.frame.data(), bins);

    float* out = spectra.data() + static_cast<std::size_t>(f) * static_cast<std::size_t>(this->bins());
    out[0] = bins[0].r;  // DC is real; its sign is kept
    for (int k = 1; k < this->bins(); ++k)
        out[k] = std::sqrt(bins[k].r * bins[k].r + bins[k].i * bins[k].i);  // audio keeps |X| far below 1e19, where r * r would overflow
}
