// The audio thread's calls (processReplacing, process, effProcessEvents) must
// not allocate, lock or make system calls. This program replaces the allocator,
// the mutex entry points and the common system-call wrappers for the whole
// process (the plug-in resolves them through the executable) and counts the
// calls made while the audio thread is inside the plug-in.
#include "tests/conformance/Signal.h"
#include "lv2/Lv2Ids.h"
#include "tests/lv2/Lv2TestHost.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <new>
#include <pthread.h>
#include <unistd.h>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
}

namespace {
thread_local bool inAudioCall = false;
std::atomic<int> forbiddenCalls{0};
const char* lastForbidden = "";

void note(const char* what)
{
    if (inAudioCall) {
        ++forbiddenCalls;
        lastForbidden = what;
    }
}

template <typename Fn>
Fn real(const char* name)
{
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" {
void* malloc(size_t size) { note("malloc"); return __libc_malloc(size); }
void* calloc(size_t n, size_t size) { note("calloc"); return __libc_calloc(n, size); }
void* realloc(void* p, size_t size) { note("realloc"); return __libc_realloc(p, size); }
void free(void* p) { if (p) note("free"); __libc_free(p); }

int pthread_mutex_lock(pthread_mutex_t* m)
{
    note("pthread_mutex_lock");
    static auto fn = real<int (*)(pthread_mutex_t*)>("pthread_mutex_lock");
    return fn(m);
}
ssize_t write(int fd, const void* buffer, size_t count)
{
    note("write");
    static auto fn = real<ssize_t (*)(int, const void*, size_t)>("write");
    return fn(fd, buffer, count);
}
ssize_t read(int fd, void* buffer, size_t count)
{
    note("read");
    static auto fn = real<ssize_t (*)(int, void*, size_t)>("read");
    return fn(fd, buffer, count);
}
int usleep(useconds_t us)
{
    note("usleep");
    static auto fn = real<int (*)(useconds_t)>("usleep");
    return fn(us);
}
int nanosleep(const struct timespec* request, struct timespec* remaining)
{
    note("nanosleep");
    static auto fn = real<int (*)(const struct timespec*, struct timespec*)>("nanosleep");
    return fn(request, remaining);
}
}  // extern "C"

void* operator new(std::size_t size) { note("operator new"); if (void* p = __libc_malloc(size ? size : 1)) return p; throw std::bad_alloc(); }
void* operator new[](std::size_t size) { note("operator new[]"); if (void* p = __libc_malloc(size ? size : 1)) return p; throw std::bad_alloc(); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { note("operator new"); return __libc_malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { note("operator new[]"); return __libc_malloc(size ? size : 1); }
void operator delete(void* p) noexcept { if (p) note("operator delete"); __libc_free(p); }
void operator delete[](void* p) noexcept { if (p) note("operator delete[]"); __libc_free(p); }
void operator delete(void* p, std::size_t) noexcept { if (p) note("operator delete"); __libc_free(p); }
void operator delete[](void* p, std::size_t) noexcept { if (p) note("operator delete[]"); __libc_free(p); }

namespace {

using testhost::PluginInstance;

struct AudioCall {
    AudioCall() { inAudioCall = true; }
    ~AudioCall() { inAudioCall = false; }
};

TEST(RealtimeSafety, CountingWorks)
{
    forbiddenCalls = 0;
    {
        AudioCall scope;
        void* volatile p = std::malloc(16);
        std::free(p);
    }
    EXPECT_EQ(forbiddenCalls.load(), 2);
}

// Both formats, side by side. VST 2: blocks of 512 frames through process and
// processReplacing in turn. LV2: blocks of 512, 17 and 1 frames, every other one
// in place, and its worker finishing restores and loading files outside the counted calls, as a host's.
TEST(RealtimeSafety, AudioCallsNeitherAllocateNorLockNorCallTheSystem)
{
    for (float rate : {44100.f, 96000.f}) {
        auto plugin = PluginInstance::load();
        auto lv2 = lv2testhost::Instance::create(512, rate);
        ASSERT_TRUE(plugin && lv2);
        plugin->prepare(rate, 512);
        plugin->timeInfo.tempo = 90;
        plugin->timeInfo.timeSigNumerator = 7;
        plugin->timeInfo.timeSigDenominator = 8;
        plugin->timeInfo.flags = kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying;
        const std::vector<float> in = conformance::noise(512, 1);
        std::vector<float> l(512), r(512);
        float* inputs[2] = {const_cast<float*>(in.data()), const_cast<float*>(in.data())};
        float* outputs[2] = {l.data(), r.data()};
        AEffect* e = plugin->effect();
        forbiddenCalls = 0;
        {
            AudioCall scope;
            lv2->save();  // the counters see into the LV2 bundle's module too
        }
        ASSERT_GT(forbiddenCalls.load(), 0);

        // Event lists prepared outside the measured calls, as a host does.
        VstEventList list(64);
        for (int i = 0; i < 64; ++i)
            list.add(makeMidiEvent(static_cast<uint8_t>((i % 2 ? 0x80 : 0x90) | (i % 3)), static_cast<uint8_t>(24 + i),
                                   100, i * 7));

        for (int32_t program : {0, 1, 2, 3}) {
            plugin->dispatch(effSetProgram, 0, program);
            LilvState* preset = lv2testhost::presetState(program);
            lv2->restoreState(preset);
            lilv_state_free(preset);
            for (int32_t mode = 0; mode < 8; ++mode) {
                plugin->setParameter(33, static_cast<float>(mode) / 10.f);  // every feedback delay mode
                plugin->setParameter(32, static_cast<float>(mode % 3) / 10.f);  // both tension models
                lv2->parameters[33] = static_cast<float>(mode) / 10.f;
                lv2->parameters[32] = static_cast<float>(mode % 3) / 10.f;
                int vst2Calls = 0, lv2Calls = 0;
                forbiddenCalls = 0;
                for (int block = 0; block < 40; ++block) {
                    const uint32_t frames = block % 3 == 0 ? 512 : block % 3 == 1 ? 17 : 1;
                    if (block % 10 == 0) {
                        lv2->tempo(90.0 + block, 7.f, 8);
                        if (block == 10)  // a file the host chose: the worker loads it, after the counted run
                            lv2->patchSet(lv2_ids::kTuningFileParameter, TOVARINE_TESTDATA_DIR "/scala/31edo.scl");
                        for (uint32_t i = 0; i < 64; ++i)
                            lv2->midi(i * frames / 64, static_cast<uint8_t>((i % 2 ? 0x80 : 0x90) | (i % 3)),
                                      static_cast<uint8_t>(24 + i), 100);
                    }
                    {
                        AudioCall scope;
                        if (block % 10 == 0)
                            e->dispatcher(e, effProcessEvents, 0, 0, list.get(), 0.f);
                        if (block % 2)
                            e->process(e, inputs, outputs, 512);
                        else
                            e->processReplacing(e, inputs, outputs, 512);
                        vst2Calls += forbiddenCalls.exchange(0);
                        lv2->run(block % 2 ? l.data() : in.data(), block % 2 ? r.data() : in.data(), l.data(), r.data(),
                                 frames, false);
                        lv2Calls += forbiddenCalls.exchange(0);
                    }
                    lv2->work();
                }
                EXPECT_EQ(vst2Calls, 0) << lastForbidden << " during VST 2 audio, program " << program << ", mode " << mode
                                        << ", " << rate << " Hz";
                EXPECT_EQ(lv2Calls, 0) << lastForbidden << " during the LV2 run, program " << program
                                                    << ", mode " << mode << ", " << rate << " Hz";
            }
        }
    }
}

}  // namespace
