// A delay line with a fractional read position: third-order Lagrange
// interpolation over four taps. Used for the two long feedback lines.
#pragma once

#include <cstdint>

class FractionalDelay {
public:
    // Allocates a zeroed buffer of `size` samples; isAllocated() tells whether that worked.
    explicit FractionalDelay(int32_t size);
    ~FractionalDelay();
    FractionalDelay(const FractionalDelay&) = delete;
    FractionalDelay& operator=(const FractionalDelay&) = delete;

    bool isAllocated() const { return buffer != nullptr; }
    int32_t getSize() const { return size; }

    // d in samples. Delays of size - 1 or more are limited to size - 1 whole samples.
    void setDelay(float d);
    // Writes x, returns the sample written d samples ago.
    float tick(float x);

    // tick() split in two for block processing: the read half now, the writes
    // later. Equivalent to tick() while the whole delay is at least the number
    // of deferred samples + 3, so no tap falls on a sample not yet written.
    float tickDeferred();
    void writeDeferred(int32_t start, const float* values, int32_t count);
    // `count` calls of tickDeferred() at once, their outputs into `out`: the
    // delay must not change in between. Outputs before `first` may be left
    // unwritten.
    void readDeferred(float* out, int32_t count, int32_t first = 0);
    int32_t getWritePosition() const { return writePos; }

    float getLastOutput() const { return lastOutput; }
    const float* getBuffer() const { return buffer; }  // getSize() samples, or null
    void clear();  // zero buffer and last output; positions and delay stay

    int32_t getWholeDelay() const { return wholeDelay; }
    float getFraction() const { return fraction; }
    const float* getWeights() const { return h; }

private:
    // The four taps, oldest first, weighted: the one formula both reads use.
    float interpolate(float t0, float t1, float t2, float t3) const { return t0 * h[3] + t1 * h[2] + t2 * h[1] + t3 * h[0]; }

    int32_t writePos;
    int32_t readPos = 0;
    int32_t size;
    int32_t wholeDelay = 1;
    float fraction = 0.f;
    float dTerms[4] = {2.f, 1.f, 0.f, -1.f};  // D, D-1, D-2, D-3 with D = 2 - fraction
    float h[4] = {0.f, 0.f, 1.f, 0.f};        // h0 weights the newest tap
    float* buffer = nullptr;
    float lastOutput = 0.f;
};
