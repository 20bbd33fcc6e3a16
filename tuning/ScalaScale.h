// A Scala scale (".scl"): a description line, the number of pitches, then one
// pitch per line, in cents when it has a decimal point ("701.955"), else as a
// ratio ("3/2", or "2" for 2/1). Degree 0 is the unison and is not listed; the
// last pitch is the period at which the scale repeats (often, not always, 2/1).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ScalaScale {
    std::string description;  // may be empty
    std::vector<double> cents;  // degrees 1..n in cents above degree 0; back() is the period

    // 12-tone equal temperament, the scale a keyboard mapping uses when no scale was loaded.
    static ScalaScale twelveToneEqual();

    // Cents of any degree, negative ones included, repeating at the period.
    double centsOfDegree(long long degree) const;
};

// The whole text as a scale, or nothing when the text is not one; then error
// holds one message naming fileName, the line and what was expected there.
std::optional<ScalaScale> parseScalaScale(std::string_view text, std::string_view fileName, std::string& error);
std::optional<ScalaScale> readScalaScale(const char* path, std::string& error);
