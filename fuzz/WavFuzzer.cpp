// Arbitrary bytes as a WAV file: the reader must refuse it or read samples
// inside the file only, never crash or overrun its sample buffer.
#include "analysis/WavReader.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/tovarine-fuzz-" + std::to_string(getpid()) + ".wav";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    WavReader reader;
    reader.open(path.c_str());
    if (!reader.valid && reader.framesInFile() != 0)
        std::abort();
    if (reader.valid && reader.dataOffset + 8 + reader.framesInFile() * reader.blockAlign > static_cast<int64_t>(size))
        std::abort();  // frames beyond the end of the file
    const int frames = static_cast<int>(std::min<int64_t>(reader.framesInFile(), 4096));
    for (int i = -1; i <= frames; ++i) {
        const float first = reader.readSample(i, true);
        const float second = reader.readSample(i, false);
        if ((i < 0 || i == frames) && (first != 0.0f || second != 0.0f) && frames == reader.framesInFile())
            std::abort();
    }
    return 0;
}
