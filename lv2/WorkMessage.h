// What restore and run hand the host's worker, which copies it: a kind, and for
// a file the path, so run fills it in place without allocating.
#pragma once

#include <cstddef>
#include <cstdint>

struct WorkMessage {
    enum Kind : uint32_t {
        kRestore = 1,  // apply the restore job the plug-in holds
        kTuningFile,   // apply `path` as the tuning, as a file chosen in the dialog
        kImpulseFile,  // analyse `path` as an impulse response
        kPathTooLong,  // a file patch:Set whose path of `length` bytes does not fit: only said
        kMalformedSet, // a patch:Set of no file parameter, or not to a path: only said
    };
    // Longer paths are refused (PATH_MAX is 4096 on Linux; hosts' worker queues hold a few KB).
    static constexpr std::size_t kLongestPath = 1023;

    Kind kind = kRestore;
    uint32_t length = 0;  // of `path`, without its terminating nul
    char path[kLongestPath + 1] = {};

    static constexpr std::size_t kHeaderSize = sizeof(Kind) + sizeof(uint32_t);
    // The bytes a message sends: the header, and the path with its nul where it has one.
    uint32_t size() const { return static_cast<uint32_t>(kHeaderSize + (hasPath() ? length + 1 : 0)); }
    bool hasPath() const { return kind == kTuningFile || kind == kImpulseFile; }
};
static_assert(offsetof(WorkMessage, path) == WorkMessage::kHeaderSize);
