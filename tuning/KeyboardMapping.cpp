#include "tuning/KeyboardMapping.h"

#include "tuning/ScalaText.h"

using namespace scala_text;

std::optional<long long> KeyboardMapping::degreeOfKey(int key) const
{
    const long long offset = key - middleKey;
    if (keys.empty())
        return offset;
    const auto size = static_cast<long long>(keys.size());
    long long repeats = offset / size;
    long long index = offset % size;
    if (index < 0) {  // floor division: keys below the middle key belong to earlier repetitions
        index += size;
        --repeats;
    }
    const long long degree = keys[static_cast<std::size_t>(index)];
    if (degree == kUnmapped)
        return std::nullopt;
    return repeats * formalOctaveDegree + degree;
}

namespace {

// The header lines in file order.
enum Field { kMapSize, kFirstKey, kLastKey, kMiddleKey, kReferenceKey, kReferenceFrequency, kFormalOctave, kKeys, kDone };

const char* const kExpected[] = {
    "the map size (a whole number, 0 for a linear map)",
    "the first MIDI key to retune (0..127)",
    "the last MIDI key to retune (0..127)",
    "the middle MIDI key, where degree 0 of the map lies (0..127)",
    "the reference MIDI key (0..127)",
    "the reference frequency in Hz (above 0, e.g. 440.0)",
    "the degree of the formal octave (a whole number)",
    "a scale degree (a whole number) or x",
};

std::optional<int> midiKey(std::string_view word)
{
    const std::optional<long long> key = wholeNumber(word);
    if (!key || *key > 127)
        return std::nullopt;
    return static_cast<int>(*key);
}

}  // namespace

std::optional<KeyboardMapping> parseKeyboardMapping(std::string_view text, std::string_view fileName, std::string& error)
{
    Lines lines(text);
    auto fail = [&](const std::string& message) {
        error = std::string(fileName) + ": line " + std::to_string(lines.number()) + ": " + message;
        return std::nullopt;
    };

    KeyboardMapping mapping;
    long long mapSize = 0;
    int referenceLine = 0;
    int field = kMapSize;
    std::string_view line;
    while (lines.next(line)) {
        if (isComment(line))
            continue;
        if (field == kDone) {
            // One empty last line (a doubled final line break) is harmless; anything else is not part of the map.
            if (isBlank(line) && lines.atEnd())
                break;
            return fail("the map's " + std::to_string(mapSize) + " keys are complete; only comments may follow, found "
                        + quoted(line));
        }
        const std::string_view word = firstWord(line);
        const auto expected = [&] { return fail(std::string("expected ") + kExpected[field] + ", found " + quoted(line)); };
        switch (field) {
        case kMapSize: {
            const std::optional<long long> size = wholeNumber(word);
            if (!size)
                return expected();
            mapSize = *size;
            break;
        }
        case kFirstKey:
        case kLastKey:
        case kMiddleKey:
        case kReferenceKey: {
            const std::optional<int> key = midiKey(word);
            if (!key)
                return expected();
            int* const target[] = {&mapping.firstKey, &mapping.lastKey, &mapping.middleKey, &mapping.referenceKey};
            *target[field - kFirstKey] = *key;
            if (field == kReferenceKey)
                referenceLine = lines.number();
            break;
        }
        case kReferenceFrequency: {
            const std::optional<double> hz = decimalNumber(word);
            if (!hz || !(*hz > 0.0))
                return expected();
            mapping.referenceFrequency = *hz;
            break;
        }
        case kFormalOctave: {
            const std::optional<long long> degree = wholeNumber(word);
            if (!degree)
                return expected();
            mapping.formalOctaveDegree = *degree;
            break;
        }
        case kKeys: {
            const std::optional<long long> degree =
                (word == "x" || word == "X") ? std::optional<long long>(KeyboardMapping::kUnmapped) : wholeNumber(word);
            if (!degree)
                return expected();
            mapping.keys.push_back(*degree);
            break;
        }
        }
        ++field;
        const bool keysComplete = static_cast<long long>(mapping.keys.size()) == mapSize;
        if (field == kKeys && keysComplete)
            field = kDone;  // map size 0: a linear map, no key lines
        else if (field == kDone && !keysComplete)
            field = kKeys;
    }

    if (field == kKeys)
        return fail("the file ends after " + std::to_string(mapping.keys.size()) + " of the map's " + std::to_string(mapSize)
                    + " keys");
    if (field != kDone) {
        if (lines.number() == 0) {
            error = std::string(fileName) + ": the file is empty";
            return std::nullopt;
        }
        return fail(std::string("the file ends where it should give ") + kExpected[field]);
    }
    // The reference key sets the frequency of the whole tuning, so it must play a degree.
    if (!mapping.degreeOfKey(mapping.referenceKey)) {
        error = std::string(fileName) + ": line " + std::to_string(referenceLine) + ": the reference key "
              + std::to_string(mapping.referenceKey) + " is unmapped (x) in the map";
        return std::nullopt;
    }
    return mapping;
}

std::optional<KeyboardMapping> readKeyboardMapping(const char* path, std::string& error)
{
    return parseFile(path, error, parseKeyboardMapping);
}
