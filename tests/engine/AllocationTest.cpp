// The audio thread must never allocate. This binary replaces malloc and the
// global operator new, so every allocation of the process (the dlopen()ed
// plug-in included) is seen, and counts those made while the plug-in runs
// effProcessEvents, process and processReplacing.
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* p);
}

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<std::size_t> failingSize{0};  // allocations of exactly this size fail

bool refuse(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t failing = failingSize.load(std::memory_order_relaxed);
    return failing != 0 && size == failing;
}
}  // namespace

extern "C" {
void* malloc(std::size_t size)
{
    return refuse(size) ? nullptr : __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size)
{
    return refuse(count * size) ? nullptr : __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size)
{
    return refuse(size) ? nullptr : __libc_realloc(p, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    return refuse(size) ? nullptr : __libc_memalign(alignment, size);
}
void free(void* p)
{
    __libc_free(p);
}
}

void* operator new(std::size_t size)
{
    if (void* p = malloc(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void operator delete(void* p) noexcept
{
    free(p);
}
void operator delete[](void* p) noexcept
{
    free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    free(p);
}

namespace {

testhost::LoadOptions pluginOptions()
{
    testhost::LoadOptions options;
    options.pluginPath = TOVARINE_PLUGIN_PATH;
    return options;
}

}  // namespace

TEST(Allocation, AudioThreadNeverAllocates)
{
    auto plugin = testhost::PluginInstance::load(pluginOptions());
    ASSERT_TRUE(plugin);
    plugin->prepare(44100.f, 512);
    AEffect* effect = plugin->effect();

    std::vector<float> inL(512, 0.1f), inR(512, -0.1f), outL(512), outR(512);
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    // Event lists as the host hands them over, built before counting starts.
    VstEventList notes{makeMidiEvent(0x91, 57, 100, 10), makeMidiEvent(0xB0, 64, 127),  // feedback voice, pedal
                       makeMidiEvent(0x90, 60, 100, 0), makeMidiEvent(0x93, 72, 80, 300), makeMidiEvent(0xB1, 64, 99)};
    VstEventList offs{makeMidiEvent(0x80, 60, 0, 0), makeMidiEvent(0x91, 57, 0, 5), makeMidiEvent(0xB0, 64, 0),
                      makeMidiEvent(0xB1, 64, 0)};  // held, then let go as the pedals lift
    VstEventList controller{makeMidiEvent(0xB3, 123, 0), makeMidiEvent(0xB0, 126, 0, 0), makeMidiEvent(0xB2, 120, 0)};

    // The counter sees allocations made through the plug-in's descriptor.
    counting = true;
    plugin->sendMidi({makeMidiEvent(0x90, 40, 1)});
    counting = false;
    ASSERT_GT(allocations.load(), 0);
    allocations = 0;

    counting = true;
    for (int block = 0; block < 400; ++block) {
        if (block % 50 == 0)
            effect->dispatcher(effect, effProcessEvents, 0, 0, notes.get(), 0.f);
        if (block % 50 == 25)
            effect->dispatcher(effect, effProcessEvents, 0, 0, offs.get(), 0.f);
        if (block == 333)
            effect->dispatcher(effect, effProcessEvents, 0, 0, controller.get(), 0.f);
        if (block % 3 == 0)
            effect->process(effect, ins, outs, 512);
        else
            effect->processReplacing(effect, ins, outs, block % 7 == 0 ? 37 : 512);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

TEST(Allocation, MissingFeedbackLinesGiveSilence)
{
    failingSize = sizeof(float) * 176400;  // the feedback delay lines
    auto plugin = testhost::PluginInstance::load(pluginOptions());
    failingSize = 0;
    ASSERT_TRUE(plugin);
    plugin->prepare(44100.f, 256);
    std::vector<float> inL(256, 0.5f), inR(256, 0.5f), outL(256, 7.f), outR(256, 7.f);
    plugin->processBlock(inL.data(), inR.data(), outL.data(), outR.data(), 256);
    for (int n = 0; n < 256; ++n) {
        ASSERT_EQ(outL[n], 0.f);
        ASSERT_EQ(outR[n], 0.f);
    }
    // Accumulating leaves the host's buffers as they were.
    std::vector<float> accL(256, 0.25f), accR(256, 0.25f);
    plugin->processBlock(inL.data(), inR.data(), accL.data(), accR.data(), 256, true);
    EXPECT_EQ(accL[100], 0.25f);
}
