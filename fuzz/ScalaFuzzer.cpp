// Arbitrary bytes as a Scala scale (fuzz_scl) or keyboard mapping (fuzz_kbm):
// the reader must accept or refuse with a message, never crash, and an
// accepted file must give finite pitches for every key.
#include "tuning/ScalaTuning.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    ScalaScale scale = ScalaScale::twelveToneEqual();
    KeyboardMapping mapping;
#ifdef FUZZ_MAPPING
    const std::optional<KeyboardMapping> read = parseKeyboardMapping(text, "fuzz.kbm", error);
    if (read)
        mapping = *read;
#else
    const std::optional<ScalaScale> read = parseScalaScale(text, "fuzz.scl", error);
    if (read)
        scale = *read;
#endif
    if (!read) {
        if (error.empty())
            std::abort();  // a refusal must say why
        return 0;
    }
    double cents[128] = {};
    tuneKeys(scale, mapping, 8.175798915643707, cents);
    for (double c : cents)
        if (std::isnan(c))
            std::abort();
    return 0;
}
