// Short-time spectra of a recording: Hann-windowed frames of fftSize samples,
// one every hop samples, each turned into fftSize / 2 magnitudes by a real
// FFT. Entry 0 of a frame's spectrum is the DC value X[0] with its sign;
// entry k (1 .. fftSize/2 - 1) is |X[k]|, with the unnormalised transform
// X[k] = sum_n x[n] e^(-2 pi i k n / fftSize).
#pragma once

#include <complex>
#include <concepts>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

struct kiss_fftr_state;

class FrameMagnitudes {
public:
    // fftSize must be even and at least 4. Throws std::bad_alloc when the
    // transform cannot be set up.
    explicit FrameMagnitudes(int fftSize = 8192, int hop = 2048);
    ~FrameMagnitudes();
    FrameMagnitudes(const FrameMagnitudes&) = delete;
    FrameMagnitudes& operator=(const FrameMagnitudes&) = delete;

    // Frames 0 .. frameCount - 1, frame f covering samples hop * f ..
    // hop * f + fftSize - 1. sampleAt(n) returns sample n, n >= 0; it is
    // called from this thread only, in order.
    template <class SampleAt>
        requires std::invocable<SampleAt&, long long>
    void compute(int frameCount, SampleAt&& sampleAt)
    {
        resize(frameCount);
        Transform& transform = *transforms.front();
        for (int f = 0; f < frameCount; ++f) {
            const long long start = static_cast<long long>(hop) * f;
            for (int n = 0; n < fftSize; ++n)
                transform.frame[static_cast<std::size_t>(n)] = sampleAt(start + n) * hann[static_cast<std::size_t>(n)];
            transformFrame(transform, f);
        }
    }

    // The same over samples held in memory; samples past the end count as 0.
    // The frames are shared out among the processor's cores (the results are
    // the same bits as from one thread: every frame is transformed alike).
    void compute(int frameCount, std::span<const float> samples);

    int size() const { return fftSize; }
    int bins() const { return fftSize / 2; }
    int frames() const { return frameCount; }
    const float* frame(int f) const { return spectra.data() + static_cast<std::size_t>(f) * bins(); }

    // w[n] = 0.5 (1 - cos(2 pi n / (fftSize - 1))), with 2 pi rounded to
    // float (6.2831855) as the analysis has always used it.
    const std::vector<float>& window() const { return hann; }

private:
    // One transform's set-up and working buffers; a thread uses one at a time.
    struct Transform {
        explicit Transform(int fftSize);
        ~Transform();
        Transform(const Transform&) = delete;
        Transform& operator=(const Transform&) = delete;
        kiss_fftr_state* fft;
        std::vector<float> frame;                    // windowed samples
        std::vector<std::complex<float>> spectrum;   // bins 0 .. fftSize/2
    };

    void resize(int frames);
    void computeFrames(Transform& transform, std::span<const float> samples, int from, int to);
    void transformFrame(Transform& transform, int f);

    int fftSize;
    int hop;
    int frameCount = 0;
    std::vector<float> hann;
    std::vector<std::unique_ptr<Transform>> transforms;  // the first always exists
    std::vector<float> spectra;                          // frameCount x bins()
};
