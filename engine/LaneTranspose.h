// Transposes a square of W x W floats held in W vectors: row j, element k
// becomes row k, element j. The resonator kernel uses it to turn 16 samples
// of W delay lines (read or written contiguously per line) into 16 vectors
// of W lanes and back, instead of one scalar access per lane and sample.
#pragma once

#include <immintrin.h>

#include <cstring>

namespace {
namespace combkernel {

#if defined(__AVX512F__)
// Four stages of 16 shuffles: pairs of rows, quads within 128-bit blocks, then
// the blocks across the rows in two steps.
inline void transposeSixteenVectors(__m512 r[16])
{
    __m512 t[16];
    for (int i = 0; i < 8; ++i) {
        t[2 * i] = _mm512_unpacklo_ps(r[2 * i], r[2 * i + 1]);
        t[2 * i + 1] = _mm512_unpackhi_ps(r[2 * i], r[2 * i + 1]);
    }
    // s[4i + c], block L: column 4L + c of rows 4i..4i+3.
    __m512 s[16];
    for (int i = 0; i < 4; ++i) {
        s[4 * i] = _mm512_shuffle_ps(t[4 * i], t[4 * i + 2], _MM_SHUFFLE(1, 0, 1, 0));
        s[4 * i + 1] = _mm512_shuffle_ps(t[4 * i], t[4 * i + 2], _MM_SHUFFLE(3, 2, 3, 2));
        s[4 * i + 2] = _mm512_shuffle_ps(t[4 * i + 1], t[4 * i + 3], _MM_SHUFFLE(1, 0, 1, 0));
        s[4 * i + 3] = _mm512_shuffle_ps(t[4 * i + 1], t[4 * i + 3], _MM_SHUFFLE(3, 2, 3, 2));
    }
    __m512 u[16];
    for (int c = 0; c < 4; ++c) {
        u[c] = _mm512_shuffle_f32x4(s[c], s[4 + c], 0x88);
        u[4 + c] = _mm512_shuffle_f32x4(s[c], s[4 + c], 0xDD);
        u[8 + c] = _mm512_shuffle_f32x4(s[8 + c], s[12 + c], 0x88);
        u[12 + c] = _mm512_shuffle_f32x4(s[8 + c], s[12 + c], 0xDD);
    }
    for (int c = 0; c < 4; ++c) {
        r[c] = _mm512_shuffle_f32x4(u[c], u[8 + c], 0x88);
        r[8 + c] = _mm512_shuffle_f32x4(u[c], u[8 + c], 0xDD);
        r[4 + c] = _mm512_shuffle_f32x4(u[4 + c], u[12 + c], 0x88);
        r[12 + c] = _mm512_shuffle_f32x4(u[4 + c], u[12 + c], 0xDD);
    }
}
#endif

template <typename F>
inline void transposeSixteen(F* rows)
{
#if defined(__AVX512F__)
    __m512 r[16];
    std::memcpy(r, rows, sizeof(r));
    transposeSixteenVectors(r);
    std::memcpy(rows, r, sizeof(r));
#else
    // Not reached: the 16-lane kernel is built with AVX-512 only.
    float m[16][16];
    std::memcpy(m, rows, sizeof(m));
    float t[16][16];
    for (int j = 0; j < 16; ++j)
        for (int k = 0; k < 16; ++k)
            t[k][j] = m[j][k];
    std::memcpy(rows, t, sizeof(t));
#endif
}

template <int W, typename F>
inline void transposeSquare(F* rows)
{
    if constexpr (W == 4) {
        __m128 r[4];
        std::memcpy(r, rows, sizeof(r));
        _MM_TRANSPOSE4_PS(r[0], r[1], r[2], r[3]);
        std::memcpy(rows, r, sizeof(r));
    } else if constexpr (W == 16) {
        transposeSixteen(rows);
    } else {
        static_assert(W == 8, "4, 8 or 16 lanes");
#if defined(__AVX__)
        __m256 r[8];
        std::memcpy(r, rows, sizeof(r));
        const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]);
        const __m256 t1 = _mm256_unpackhi_ps(r[0], r[1]);
        const __m256 t2 = _mm256_unpacklo_ps(r[2], r[3]);
        const __m256 t3 = _mm256_unpackhi_ps(r[2], r[3]);
        const __m256 t4 = _mm256_unpacklo_ps(r[4], r[5]);
        const __m256 t5 = _mm256_unpackhi_ps(r[4], r[5]);
        const __m256 t6 = _mm256_unpacklo_ps(r[6], r[7]);
        const __m256 t7 = _mm256_unpackhi_ps(r[6], r[7]);
        const __m256 s0 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 s1 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 s2 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 s3 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 s4 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 s5 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 s6 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 s7 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(3, 2, 3, 2));
        r[0] = _mm256_permute2f128_ps(s0, s4, 0x20);
        r[1] = _mm256_permute2f128_ps(s1, s5, 0x20);
        r[2] = _mm256_permute2f128_ps(s2, s6, 0x20);
        r[3] = _mm256_permute2f128_ps(s3, s7, 0x20);
        r[4] = _mm256_permute2f128_ps(s0, s4, 0x31);
        r[5] = _mm256_permute2f128_ps(s1, s5, 0x31);
        r[6] = _mm256_permute2f128_ps(s2, s6, 0x31);
        r[7] = _mm256_permute2f128_ps(s3, s7, 0x31);
        std::memcpy(rows, r, sizeof(r));
#else
        // Not reached: the 8-lane kernel is built with AVX2 only.
        float m[8][8];
        std::memcpy(m, rows, sizeof(m));
        float t[8][8];
        for (int j = 0; j < 8; ++j)
            for (int k = 0; k < 8; ++k)
                t[k][j] = m[j][k];
        std::memcpy(rows, t, sizeof(t));
#endif
    }
}

}  // namespace combkernel
}  // namespace
