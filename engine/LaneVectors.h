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

}  // namespace lanevectors
}  // namespace
