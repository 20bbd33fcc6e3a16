// Fixed-point decimal text that does not depend on the process locale: hosts
// built on GTK or Qt call setlocale(), after which printf("%f") may write a
// comma. Host displays and the exported source need a point.
#pragma once

#include <cstddef>

// Writes value with the given number of decimals ("%0.<decimals>f" in the C
// locale) into text, cut to fit textSize - 1 characters and always
// NUL-terminated. Answers the number of characters written.
std::size_t formatFixed(double value, int decimals, char* text, std::size_t textSize);

// The float that the literal "%0.5f" of value reads back as: what a value
// becomes after a round trip through the exported preset source.
float roundedToFiveDecimals(float value);
