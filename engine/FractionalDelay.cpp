#include "engine/FractionalDelay.h"

#include "engine/LagrangeWeights.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

FractionalDelay::FractionalDelay(int32_t size_) : writePos(size_ > 0 ? size_ - 1 : 0), size(size_ > 0 ? size_ : 0)
{
    if (size > 0)
        buffer = new (std::nothrow) float[static_cast<std::size_t>(size)]();
    if (!buffer)
        size = 0;
}

FractionalDelay::~FractionalDelay()
{
    delete[] buffer;
}

void FractionalDelay::setDelay(float d)
{
    if (size < 4)
        return;
    // A non-finite request would make the integer conversion undefined; treat it as no delay.
    if (!std::isfinite(d))
        d = 0.f;
    if (d > static_cast<float>(size))
        d = static_cast<float>(size);
    if (d < 0.f)
        d = 0.f;  // a delay cannot read the future; a negative request plays the shortest one
    const float ceiling = std::ceil(d);
    wholeDelay = static_cast<int32_t>(ceiling) + 1;
    fraction = ceiling - d;
    const float D = 2.f - fraction;
    dTerms[0] = D;
    dTerms[1] = D - 1.f;
    dTerms[2] = D - 2.f;
    dTerms[3] = D - 3.f;
    lagrangeWeights(D, h);
    if (wholeDelay >= size) {
        // Too long for the buffer: the longest whole delay; the weights keep the requested fraction.
        wholeDelay = size - 1;
        fraction = 0.f;
    }
    int32_t r = writePos - wholeDelay;
    while (r < 0)
        r += size;
    while (r >= size)
        r -= size;
    readPos = r;
}

float FractionalDelay::tick(float x)
{
    if (!buffer)
        return 0.f;
    buffer[writePos] = x;
    return tickDeferred();
}

void FractionalDelay::writeDeferred(int32_t start, const float* values, int32_t count)
{
    if (!buffer)
        return;
    if (start >= 0 && count > 0 && start + count <= size) {
        std::memcpy(buffer + start, values, sizeof(float) * static_cast<std::size_t>(count));
        return;
    }
    int32_t pos = start;
    for (int32_t k = 0; k < count; ++k) {
        buffer[pos] = values[k];
        if (++pos == size)
            pos = 0;
    }
}

float FractionalDelay::tickDeferred()
{
    if (!buffer)
        return 0.f;
    int32_t i = readPos;
    const float t0 = buffer[i];
    if (++i == size) i = 0;
    const float t1 = buffer[i];
    if (++i == size) i = 0;
    const float t2 = buffer[i];
    if (++i == size) i = 0;
    const float t3 = buffer[i];
    const float y = interpolate(t0, t1, t2, t3);
    lastOutput = y;
    if (++writePos == size) writePos = 0;
    if (++readPos == size) readPos = 0;
    return y;
}

void FractionalDelay::readDeferred(float* out, int32_t count, int32_t first)
{
    if (!buffer || count <= 0)
        return;
    if (readPos + count + 3 > size) {
        // The taps wrap around within the span (about one span in ten thousand).
        for (int32_t k = 0; k < count; ++k)
            out[k] = tickDeferred();
        return;
    }
    const float* taps = buffer + readPos;
    // Four outputs per vector, each summed as interpolate() sums it.
    typedef float Four __attribute__((vector_size(16)));
    const auto load = [](const float* p) {
        Four v;
        std::memcpy(&v, p, sizeof(v));
        return v;
    };
    const Four h0{h[0], h[0], h[0], h[0]}, h1{h[1], h[1], h[1], h[1]};
    const Four h2{h[2], h[2], h[2], h[2]}, h3{h[3], h[3], h[3], h[3]};
    // From the last whole vector at most, so a short request is one vector.
    int32_t k = std::max(0, std::min(first, count - 4));
    for (; k + 4 <= count; k += 4) {
        const Four y = load(taps + k) * h3 + load(taps + k + 1) * h2 + load(taps + k + 2) * h1 + load(taps + k + 3) * h0;
        std::memcpy(out + k, &y, sizeof(y));
    }
    for (; k < count; ++k)  // the weights as locals: out cannot alias them
        out[k] = taps[k] * h3[0] + taps[k + 1] * h2[0] + taps[k + 2] * h1[0] + taps[k + 3] * h0[0];
    lastOutput = out[count - 1];
    readPos += count;  // stays below size - 3
    writePos += count;
    if (writePos >= size)
        writePos -= size;
}

void FractionalDelay::clear()
{
    if (buffer)
        std::memset(buffer, 0, sizeof(float) * static_cast<std::size_t>(size));
    lastOutput = 0.f;
}
