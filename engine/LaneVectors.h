// GCC vector types of W lanes and their unaligned loads and stores, shared by
// the resonator kernel and the tension moves. Internal linkage: every
// instruction-set build of those keeps its own copies.
#pragma once

#include <cstdint>
#include <cstring>

namespace {
namespace lanevectors {

template <int W>
struct Lanes {
    typedef float Floats __attribute__((vector_size(4 * W)));
    typedef int32_t Ints __attribute__((vector_size(4 * W)));
    typedef double Doubles __attribute__((vector_size(8 * W)));
    typedef int64_t Longs __attribute__((vector_size(8 * W)));
};

template <typename V>
inline V load(const void* p)
{
    V v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

template <typename V>
inline void store(void* p, V v)
{
    std::memcpy(p, &v, sizeof(v));
}

// Whether any lane of a vector of masks is set: the lanes ORed as 64-bit words
// and tested once, where a lane-by-lane test would branch on each.
template <typename V>
inline bool anyLane(V mask)
{
    static_assert(sizeof(V) % 8 == 0);
    uint64_t words[sizeof(V) / 8];
    std::memcpy(words, &mask, sizeof(mask));
    uint64_t any = 0;
    for (uint64_t w : words)
        any |= w;
    return any != 0;
}

}  // namespace lanevectors
}  // namespace
