#include "analysis/FrameMagnitudes.h"

#include <cmath>
#include <new>
#include <kiss_fftr.h>

namespace {
// 2 pi as a single-precision constant; the window has always been built with it.
constexpr double kTwoPiFloat = static_cast<double>(6.2831855f);
} // namespace

FrameMagnitudes::FrameMagnitudes(int fftSize, int hop)
    : fftSize(fftSize),
      hop(hop),
      fft(kiss_fftr_alloc(fftSize, 0, nullptr, nullptr)),
      hann(static_cast<std::size_t>(fftSize)),
      frameBuffer(static_cast<std::size_t>(fftSize)),
      spectrumBuffer(static_cast<std::size_t>(fftSize / 2 + 1))
{
    if (!fft)
        throw std::bad_alloc();  // no transform to run; callers treat it as running out of memory
    for (int n = 0; n < fftSize; ++n)
        hann[static_cast<std::size_t>(n)] =
            static_cast<float>(0.5 * (1.0 - std::cos(kTwoPiFloat * n / (fftSize - 1))));
}

FrameMagnitudes::~FrameMagnitudes()
{
    kiss_fftr_free(fft);
}

void FrameMagnitudes::compute(int frames, std::span<const float> samples)
{
    compute(frames, [samples](long long n) {
        return n < static_cast<long long>(samples.size()) ? samples[static_cast<std::size_t>(n)] : 0.0f;
    });
}

void FrameMagnitudes::resize(int frames)
{
    frameCount = frames > 0 ? frames : 0;
    spectra.assign(static_cast<std::size_t>(frameCount) * static_cast<std::size_t>(bins()), 0.0f);
}

void FrameMagnitudes::transformFrame(int f)
{
    for (std::size_t n = 0; n < frameBuffer.size(); ++n)
        frameBuffer[n] *= hann[n];
    // std::complex<float> has the layout of kiss_fft_cpx: {real, imaginary}.
    auto* bins = reinterpret_cast<kiss_fft_cpx*>(spectrumBuffer.data());
    kiss_fftr(fft, frameBuffer.data(), bins);

    float* out = spectra.data() + static_cast<std::size_t>(f) * static_cast<std::size_t>(this->bins());
    out[0] = bins[0].r;  // DC is real; its sign is kept
    for (int k = 1; k < this->bins(); ++k)
        out[k] = std::sqrt(bins[k].r * bins[k].r + bins[k].i * bins[k].i);  // audio keeps |X| far below 1e19, where r * r would overflow
}
