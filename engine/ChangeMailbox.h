// Hands a prepared change from the control side to the audio thread whole:
// three slots, one the producer writes, one the consumer reads, one in
// between. Publishing swaps the producer's slot with the one in between;
// the consumer swaps that in when it is fresh. Neither side ever waits, and a
// slot is never written while it is being read. One producer at a time (the
// engine's control lock sees to that), one consumer (the audio thread).
#pragma once

#include <atomic>
#include <cstdint>

template <typename Change>
class ChangeMailbox {
public:
    // The slot the producer fills; its contents are those of an older change.
    Change& draft() { return slots[back]; }

    void publish()
    {
        back = shared.exchange(static_cast<uint8_t>(back | kFresh), std::memory_order_acq_rel) & kIndex;
    }

    // The newest published change not yet taken, or null.
    const Change* take()
    {
        if (!(shared.load(std::memory_order_relaxed) & kFresh))
            return nullptr;
        front = shared.exchange(front, std::memory_order_acq_rel) & kIndex;
        return &slots[front];
    }

private:
    static constexpr uint8_t kIndex = 3;
    static constexpr uint8_t kFresh = 4;
    Change slots[3];
    uint8_t back = 0;   // producer's
    uint8_t front = 2;  // consumer's
    std::atomic<uint8_t> shared{1};
};
