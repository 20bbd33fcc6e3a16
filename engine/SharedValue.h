// A scalar one thread writes and others read: an atomic with relaxed loads
// and stores, which compile to plain moves on x86. It reads and assigns like
// the value, so the code that uses it stays as it was; whoever needs a value
// to stay fixed over a block copies it once.
#pragma once

#include <atomic>

template <typename T>
class SharedValue {
    static_assert(std::atomic<T>::is_always_lock_free, "the audio thread must never wait on an atomic");

public:
    SharedValue() = default;
    SharedValue(T initial) : value(initial) {}
    SharedValue(const SharedValue&) = delete;
    SharedValue& operator=(const SharedValue&) = delete;

    SharedValue& operator=(T v)
    {
        value.store(v, std::memory_order_relaxed);
        return *this;
    }
    operator T() const { return value.load(std::memory_order_relaxed); }
    T load() const { return value.load(std::memory_order_relaxed); }

private:
    std::atomic<T> value{};
};
