// Four floats (or ints) per SSE register, through GCC's vector extensions:
// the loads, stores and spreads the audio loop and the feedback path share.
#pragma once

#include <cstdint>
#include <cstring>

typedef float FourFloats __attribute__((vector_size(16)));
typedef int32_t FourInts __attribute__((vector_size(16)));

inline FourFloats splat(float x)
{
    return FourFloats{x, x, x, x};
}

inline FourFloats load4(const float* p)
{
    FourFloats v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

inline void store4(float* p, FourFloats v)
{
    std::memcpy(p, &v, sizeof(v));
}

inline void storePair(float* p, FourFloats v)
{
    std::memcpy(p, &v, 2 * sizeof(float));
}
