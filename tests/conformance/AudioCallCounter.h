// What realtime_safety_test's replacements of the allocator, the mutexes and
// the system-call wrappers count: calls made while a thread is inside one of
// the plug-in's audio calls.
#pragma once

#include <atomic>

namespace realtime {

extern thread_local bool inAudioCall;
extern std::atomic<int> forbiddenCalls;
extern const char* lastForbidden;

struct AudioCall {
    AudioCall() { inAudioCall = true; }
    ~AudioCall() { inAudioCall = false; }
};

}  // namespace realtime
