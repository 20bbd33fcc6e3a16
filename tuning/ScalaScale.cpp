#include "tuning/ScalaScale.h"

#include "tuning/ScalaText.h"

#include <cmath>

using namespace scala_text;

ScalaScale ScalaScale::twelveToneEqual()
{
    ScalaScale scale;
    scale.description = "12-TET";
    for (int degree = 1; degree <= 12; ++degree)
        scale.cents.push_back(100.0 * degree);
    return scale;
}

double ScalaScale::centsOfDegree(long long degree) const
{
    const auto size = static_cast<long long>(cents.size());
    if (size == 0)
        return 0.0;
    long long periods = degree / size;
    long long step = degree % size;
    if (step < 0) {  // floor division, so degree -1 is the top step one period down
        step += size;
        --periods;
    }
    return static_cast<double>(periods) * cents.back() + (step == 0 ? 0.0 : cents[static_cast<std::size_t>(step - 1)]);
}

namespace {

// The numerator or denominator of a ratio: digits only, above 0. Long ones are
// allowed (exact ratios of big numbers are common); a double holds them closely enough.
std::optional<double> ratioTerm(std::string_view digits)
{
    if (digits.empty() || digits.size() > 30 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const std::optional<double> value = decimalNumber(digits);
    if (!value || !(*value > 0.0))
        return std::nullopt;
    return value;
}

// Far beyond any musical scale (833 octaves), and small enough that whole
// periods of it, over every MIDI key, stay finite and keep their differences.
constexpr double kMaxPitchCents = 1e6;

std::optional<double> pitchCents(std::string_view word)
{
    if (word.find('.') != std::string_view::npos) {
        const std::optional<double> cents = decimalNumber(word);
        if (!cents || std::fabs(*cents) > kMaxPitchCents)
            return std::nullopt;
        return cents;
    }
    const std::size_t slash = word.find('/');
    const std::optional<double> numerator = ratioTerm(word.substr(0, slash));
    const std::optional<double> denominator =
        slash == std::string_view::npos ? std::optional<double>(1.0) : ratioTerm(word.substr(slash + 1));
    if (!numerator || !denominator)
        return std::nullopt;
    return 1200.0 * std::log2(*numerator / *denominator);
}

}  // namespace

std::optional<ScalaScale> parseScalaScale(std::string_view text, std::string_view fileName, std::string& error)
{
    Lines lines(text);
    const std::string where = std::string(fileName) + ": line ";
    auto fail = [&](const std::string& message) {
        error = where + std::to_string(lines.number()) + ": " + message;
        return std::nullopt;
    };

    enum class Expect { Description, Count, Pitch, Nothing } expect = Expect::Description;
    ScalaScale scale;
    long long count = 0;
    std::string_view line;
    while (lines.next(line)) {
        if (isComment(line))
            continue;
        const std::string_view word = firstWord(line);
        switch (expect) {
        case Expect::Description:
            scale.description = std::string(line);
            while (!scale.description.empty() && (scale.description.back() == ' ' || scale.description.back() == '\t'))
                scale.description.pop_back();
            scale.description.erase(0, scale.description.find_first_not_of(" \t"));
            expect = Expect::Count;
            break;
        case Expect::Count: {
            const std::optional<long long> n = wholeNumber(word);
            if (!n || *n < 1)
                return fail("expected the number of pitches (a whole number of 1 or more), found " + quoted(line));
            count = *n;
            expect = Expect::Pitch;
            break;
        }
        case Expect::Pitch: {
            const std::optional<double> cents = pitchCents(word);
            if (!cents)
                return fail("expected a pitch in cents (\"701.955\") or a ratio (\"3/2\"), found " + quoted(line));
            scale.cents.push_back(*cents);
            if (static_cast<long long>(scale.cents.size()) == count)
                expect = Expect::Nothing;
            break;
        }
        case Expect::Nothing:
            // One empty last line (a doubled final line break) is harmless; anything else is not part of the scale.
            if (isBlank(line) && lines.atEnd())
                break;
            return fail("the scale's " + std::to_string(count) + " pitches are complete; only comments may follow, found "
                        + quoted(line));
        }
    }

    switch (expect) {
    case Expect::Description:
        error = std::string(fileName) + ": no description line; the file holds no scale";
        return std::nullopt;
    case Expect::Count:
        return fail("the file ends before the number of pitches");
    case Expect::Pitch:
        return fail("the file ends after " + std::to_string(scale.cents.size()) + " of its " + std::to_string(count)
                    + " pitches");
    case Expect::Nothing:
        break;
    }
    return scale;
}

std::optional<ScalaScale> readScalaScale(const char* path, std::string& error)
{
    return parseFile(path, error, parseScalaScale);
}
