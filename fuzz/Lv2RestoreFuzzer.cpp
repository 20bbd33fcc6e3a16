// Arbitrary LV2 state restored into the built bundle's plug-in, then played.
// Each property the plug-in saved (a bank whose program 0 names a real tuning
// file, so a path is among them) is kept, spoiled, replaced, retyped or left
// out, as the next record of the input says.
#include "lv2/Lv2Ids.h"
#include "programs/ProgramRecord.h"
#include "tests/lv2/Lv2TestHost.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto lv2 = lv2testhost::Instance::create(64);
    static const lv2testhost::Properties saved = [] {
        lv2testhost::Properties state = lv2->save();
        std::snprintf(reinterpret_cast<ProgramRecord*>(state[lv2_ids::kBankKey].value.data())->tuningMapPath,
                      kTuningMapPathSize, "%s", TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v1.tun");
        lv2->restore(state);
        return lv2->save();
    }();
    static const char* const kTypes[] = {LV2_ATOM__Chunk, LV2_ATOM__Int, LV2_ATOM__Path, LV2_ATOM__String, LV2_ATOM__Float};
    lv2testhost::Properties state = saved;
    for (auto it = state.begin(); it != state.end() && size >= 3;) {
        const uint8_t mode = data[0];
        const std::size_t length = std::min<std::size_t>(size - 3, data[1] | (data[2] << 8));
        const uint8_t* bytes = data + 3;
        data += 3 + length, size -= 3 + length;
        std::vector<uint8_t>& value = it->second.value;
        if (mode % 5 == 1)  // spoiled from an offset on, around its end: a long record reaches every field
            for (std::size_t i = 0; i < length && !value.empty(); ++i)
                value[((mode >> 3) * 977 + i) % value.size()] = bytes[i];
        else if (mode % 5 == 2)
            value.assign(bytes, bytes + length);
        else if (mode % 5 == 3)
            it->second.type = kTypes[(mode >> 3) % 5];
        it = mode % 5 == 4 ? state.erase(it) : std::next(it);
    }
    lv2->restore(state);
    float in[64] = {1.f}, left[64], right[64];
    for (int block = 0; block < 4; ++block, in[0] = 0.f) {
        lv2->run(in, in, left, right, 64);
        for (int i = 0; i < 64; ++i)
            if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
                std::abort();
    }
    return 0;
}
