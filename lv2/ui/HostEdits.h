// The editor's changes on their way to the host: written by the editor's thread,
// handed to the host on its own thread (LV2 hosts take port writes and touch
// notifications only there), in the order the user made them.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

class HostEdits {
public:
    struct Edit {
        enum Kind { kBegin, kValue, kEnd } kind;
        int32_t parameter;
        float value;
    };

    void add(Edit edit);
    // Everything added since the last call, oldest first.
    std::vector<Edit> take();

private:
    std::mutex mutex;  // the two user interface threads only, never the audio thread
    std::vector<Edit> edits;
};
