// Arbitrary saved state: restored as a program or a bank, then played.
#include "fuzz/PluginHarness.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static AEffect* e = fuzzharness::createPlugin();
    if (size < 1)
        return 0;
    // The first byte picks program or bank and whether the size is exact;
    // exact sizes reach the restore, others must be refused.
    const uint8_t mode = data[0];
    const bool isPreset = mode & 1;
    const size_t exact = isPreset ? 7796 : 249472;
    std::vector<uint8_t> chunk(data + 1, data + size);
    if (mode & 2) {
        // Repeat the input over the whole chunk so random bytes reach every field.
        std::vector<uint8_t> filled(exact);
        for (size_t i = 0; i < exact; ++i)
            filled[i] = chunk.empty() ? 0 : chunk[i % chunk.size()];
        chunk.swap(filled);
    }
    e->dispatcher(e, effSetChunk, isPreset ? 1 : 0, static_cast<intptr_t>(chunk.size()), chunk.data(), 0.f);
    e->dispatcher(e, effSetProgram, 0, mode >> 3, nullptr, 0.f);
    fuzzharness::checkTexts(e);
    e->dispatcher(e, effProcessEvents, 0, 0, nullptr, 0.f);
    fuzzharness::processAndCheck(e, 4);
    return 0;
}
