// Arbitrary bytes as a ".tun" file: the reader must fail cleanly or produce
// a finite table, never crash or overrun.
#include "tuning/TuningMap.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/tovarine-fuzz-" + std::to_string(getpid()) + ".tun";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    static TuningMap map;
    const bool loaded = map.loadFromFile(path.c_str());
    if (std::strlen(map.getName()) >= TuningMap::kNameSize || std::strlen(map.getErrorText()) >= TuningMap::kErrorTextSize)
        std::abort();
    if (!loaded && map.getErrorText()[0] == '\0')
        std::abort();  // a failure must say why
    for (int note = -5; note < 133; ++note)
        (void)map.frequencyOfNote(note);
    return 0;
}
