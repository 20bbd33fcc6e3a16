// Cheap power and logarithm used by the feedback limiter once per sample.
// Both work on the IEEE bit fields directly and are exact at powers of two.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

// 10^x approximated as 2^a with a = x * log2(10): the integer part of a goes
// into the exponent field, the fraction is used linearly as the mantissa
// (2^f ~ 1 + f). Exact when a is whole (fastPow10(0) == 1); at x = -0.05 it
// gives 0.91695 instead of 0.89125.
inline double fastPow10(double x)
{
    const double a = x * 3.32192809488736;
    const double whole = std::floor(a);
    if (!(whole > -1023.0))  // also catches NaN: the result underflows to 0
        return 0.0;
    if (whole > 1023.0)
        return HUGE_VAL;
    const double mantissa = 1.0 + a - whole;  // in [1, 2)
    const uint64_t mantissaBits = std::bit_cast<uint64_t>(mantissa) & 0x000FFFFFFFFFFFFFull;
    const uint64_t exponentBits = static_cast<uint64_t>(static_cast<int64_t>(whole) + 1023) << 52;
    return std::bit_cast<double>(exponentBits | mantissaBits);
}

// log2(x) for x > 0 approximated as (exponent - 127) + (mantissa - 1): linear
// between powers of two. fastLog2(0) is -127.
inline float fastLog2(float x)
{
    const uint32_t bits = std::bit_cast<uint32_t>(x);
    const int exponent = static_cast<int>((bits >> 23) & 0xFF);
    const float mantissa = std::bit_cast<float>((bits & 0x007FFFFFu) | (127u << 23));  // [1, 2)
    return static_cast<float>(exponent - 128) + mantissa;
}
