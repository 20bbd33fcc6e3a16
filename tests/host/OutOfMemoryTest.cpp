// An instance whose program store cannot be allocated is refused, and the
// refusal does not poison later instances of the same process.
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
constexpr std::size_t kStoreBytes = 32 * 7796;
std::atomic<bool> failStoreAllocation{false};
}  // namespace

// The plug-in resolves the allocator through the executable (linked with exported symbols).
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (failStoreAllocation && size == kStoreBytes)
        return nullptr;
    return std::malloc(size ? size : 1);
}

void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void* operator new[](std::size_t size) { return operator new[](size, std::nothrow); }

namespace {

TEST(OutOfMemory, StoreAllocationFailureRefusesOnlyThatInstance)
{
    failStoreAllocation = true;
    EXPECT_FALSE(testhost::PluginInstance::load());
    failStoreAllocation = false;
    auto plugin = testhost::PluginInstance::load();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->effect()->numPrograms, 32);
}

}  // namespace
