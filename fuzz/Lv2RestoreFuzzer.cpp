// Arbitrary LV2 state restored into the built bundle's plug-in, then played.
// Each property the plug-in saved (a bank whose program 0 names a real tuning
// file, so a path is among them) is kept, spoiled, replaced, retyped or left
// out, as the next record of the input says.
#include "programs/ProgramRecord.h"
#include "tests/lv2/Lv2TestHost.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

using lv2testhost::Properties;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto lv2 = lv2testhost::Instance::create(64);
    static const Properties saved = [] {
        Properties state = lv2->save();
        auto* bank = lv2testhost::find(state, LV2_ATOM__Chunk, sizeof(ProgramRecord) * kNumPrograms);
        std::snprintf(reinterpret_cast<ProgramRecord*>(bank->value.data())->tuningMapPath, kTuningMapPathSize, "%s",
                      TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v1.tun");
        lv2->restore(state);
        return lv2->save();
    }();
    static const char* const kTypes[] = {LV2_ATOM__Chunk, LV2_ATOM__Int, LV2_ATOM__Path, LV2_ATOM__String, LV2_ATOM__Float};
    Properties state = saved;
    for (auto it = state.begin(); it != state.end() && size >= 3;) {
        const uint8_t mode = data[0];
        const std::size_t length = std::min<std::size_t>(size - 3, data[1] | (data[2] << 8));
        const std::vector<uint8_t> bytes(data + 3, data + 3 + length);
        data += 3 + length, size -= 3 + length;
        std::vector<uint8_t>& value = it->second.value;
        switch (mode % 5) {
        case 1:  // spoiled from an offset
            for (std::size_t i = 0; i < bytes.size() && !value.empty(); ++i)
                value[((mode >> 3) * 977 + i) % value.size()] = bytes[i];
            break;
        case 2:  // replaced; repeated over its whole length, so random bytes reach every field
            if (mode & 0x80 && !bytes.empty())
                for (std::size_t i = 0; i < value.size(); ++i)
                    value[i] = bytes[i % bytes.size()];
            else
                value = bytes;
            break;
        case 3:
            it->second.type = kTypes[(mode >> 3) % 5];
            break;
        case 4:
            it = state.erase(it);
            continue;
        }
        ++it;
    }
    lv2->restore(state);
    float in[64] = {1.f}, left[64], right[64];
    for (int block = 0; block < 4; ++block) {
        lv2->run(in, in, left, right, 64);
        for (int i = 0; i < 64; ++i)
            if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
                std::abort();
        in[0] = 0.f;
    }
    return 0;
}
