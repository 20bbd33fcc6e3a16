#include "tuning/DecimalPrefix.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

TEST(DecimalPrefix, IntegersReadLikeAtoiAndSaturate)
{
    EXPECT_EQ(parseIntegerPrefix(" \t-60.7 ; x"), -60);
    EXPECT_EQ(parseIntegerPrefix("+7"), 7);
    EXPECT_EQ(parseIntegerPrefix("s"), 0);
    EXPECT_EQ(parseIntegerPrefix("- 5"), 0);
    EXPECT_EQ(parseIntegerPrefix("99999999999999999999"), INT_MAX);
    EXPECT_EQ(parseIntegerPrefix("-2147483648"), INT_MIN);
}

TEST(DecimalPrefix, RealsReadOnlyTheDecimalForm)
{
    EXPECT_DOUBLE_EQ(parseRealPrefix("  -2461.568228"), -2461.568228);
    EXPECT_DOUBLE_EQ(parseRealPrefix("+1.5E-1x"), 0.15);
    EXPECT_DOUBLE_EQ(parseRealPrefix(".5"), 0.5);
    EXPECT_DOUBLE_EQ(parseRealPrefix("12e+ 3"), 12.0);  // an exponent needs digits
    EXPECT_DOUBLE_EQ(parseRealPrefix("1,5"), 1.0);
    for (const char* unreadable : {".", "abc", "0x10", "inf", "nan", "\"! 440.0\""})
        EXPECT_EQ(parseRealPrefix(unreadable), 0.0) << unreadable;
    // Out of range as strtod: infinity above, zero below.
    EXPECT_EQ(parseRealPrefix("-1e400"), -INFINITY);
    EXPECT_EQ(parseRealPrefix("1" + std::string(400, '0')), INFINITY);
    EXPECT_EQ(parseRealPrefix("1000e-400"), 0.0);
    EXPECT_EQ(parseRealPrefix("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(parseRealPrefix("0.001e310"), 1e307);
}
