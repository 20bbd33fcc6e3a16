#include "tuning/DecimalPrefix.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <string>

TEST(DecimalPrefix, IntegerReadsLikeAtoi)
{
    EXPECT_EQ(parseIntegerPrefix("60"), 60);
    EXPECT_EQ(parseIntegerPrefix(" \t 60"), 60);
    EXPECT_EQ(parseIntegerPrefix("-1"), -1);
    EXPECT_EQ(parseIntegerPrefix("+7"), 7);
    EXPECT_EQ(parseIntegerPrefix("6900.7"), 6900);
    EXPECT_EQ(parseIntegerPrefix("100 ; remark"), 100);
    EXPECT_EQ(parseIntegerPrefix("s"), 0);
    EXPECT_EQ(parseIntegerPrefix(""), 0);
    EXPECT_EQ(parseIntegerPrefix("- 5"), 0);
    EXPECT_EQ(parseIntegerPrefix("99999999999999999999"), INT_MAX);
    EXPECT_EQ(parseIntegerPrefix("-2147483648"), INT_MIN);
    EXPECT_EQ(parseIntegerPrefix("-99999999999999999999"), INT_MIN);
}

TEST(DecimalPrefix, RealReadsDecimalFormOnly)
{
    EXPECT_DOUBLE_EQ(parseRealPrefix("2461.568228"), 2461.568228);
    EXPECT_DOUBLE_EQ(parseRealPrefix("  -5000.000000"), -5000.0);
    EXPECT_DOUBLE_EQ(parseRealPrefix("+1.5e3"), 1500.0);
    EXPECT_DOUBLE_EQ(parseRealPrefix("1.5E-1x"), 0.15);
    EXPECT_DOUBLE_EQ(parseRealPrefix(".5"), 0.5);
    EXPECT_DOUBLE_EQ(parseRealPrefix("7."), 7.0);
    EXPECT_DOUBLE_EQ(parseRealPrefix("12e"), 12.0);     // exponent without digits is not read
    EXPECT_DOUBLE_EQ(parseRealPrefix("12e+ 3"), 12.0);
    EXPECT_DOUBLE_EQ(parseRealPrefix("3 ; remark"), 3.0);
    EXPECT_DOUBLE_EQ(parseRealPrefix("1,5"), 1.0);
    EXPECT_EQ(parseRealPrefix("."), 0.0);
    EXPECT_EQ(parseRealPrefix("abc"), 0.0);
    EXPECT_EQ(parseRealPrefix("0x10"), 0.0);
    EXPECT_EQ(parseRealPrefix("inf"), 0.0);
    EXPECT_EQ(parseRealPrefix("nan"), 0.0);
    EXPECT_EQ(parseRealPrefix("\"! 440.0\""), 0.0);
}

TEST(DecimalPrefix, RealOutOfRangeBehavesLikeStrtod)
{
    EXPECT_EQ(parseRealPrefix("1e400"), INFINITY);
    EXPECT_EQ(parseRealPrefix("-1e400"), -INFINITY);
    EXPECT_EQ(parseRealPrefix("1" + std::string(400, '0')), INFINITY);
    EXPECT_EQ(parseRealPrefix("1000e-400"), 0.0);
    EXPECT_EQ(parseRealPrefix("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(parseRealPrefix("0.001e310"), 1e307);
    EXPECT_EQ(parseRealPrefix("0e99999999999"), 0.0);
}

TEST(DecimalPrefix, IgnoresProcessLocale)
{
    // Any locale with a decimal comma will do.
    const char* commaLocale = nullptr;
    for (const char* candidate : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
        if ((commaLocale = std::setlocale(LC_NUMERIC, candidate)))
            break;
    if (!commaLocale)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const double real = parseRealPrefix("1.5");
    const double comma = parseRealPrefix("1,5");
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_DOUBLE_EQ(real, 1.5);
    EXPECT_DOUBLE_EQ(comma, 1.0);
}
