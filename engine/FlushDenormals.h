// While one lives, the SSE unit treats denormal floats as zero, in and out
// (MXCSR flush-to-zero and denormals-are-zero); the host's mode comes back
// when it ends. Signals decaying in the loops would otherwise pass through
// the denormal range, where every operation is many times slower. Only
// values below 2^-126 (about -759 dBFS) change.
#pragma once

#if defined(__SSE__) || defined(_M_X64) || defined(__x86_64__)
#include <xmmintrin.h>

class FlushDenormals {
public:
    FlushDenormals() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
    ~FlushDenormals() { _mm_setcsr(saved); }
    FlushDenormals(const FlushDenormals&) = delete;
    FlushDenormals& operator=(const FlushDenormals&) = delete;

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved;
};
#else
class FlushDenormals {};
#endif
