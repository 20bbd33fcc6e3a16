// Reading the decimal number at the start of a piece of text, the way the C
// library's atoi and strtod do in the "C" locale, but independent of the
// process locale: hosts built on GTK or Qt call setlocale(), after which
// strtod() would expect "1,5" instead of "1.5".
#pragma once

#include <string_view>

// Leading spaces, tabs, vertical tabs and form feeds are skipped, then an
// optional sign and the decimal digits up to the first other character are
// read. No digits gives 0; a value beyond the int range saturates at
// INT_MIN or INT_MAX.
int parseIntegerPrefix(std::string_view text);

// Leading blanks as above, an optional sign, digits with an optional decimal
// point, and an optional exponent ("e" or "E", optional sign, digits), up to
// the first other character. Nothing readable gives 0. Only this decimal form
// is accepted: no hexadecimal, "inf" or "nan". A value too large for a double
// gives +-infinity, one too small gives 0 (as strtod does).
double parseRealPrefix(std::string_view text);
