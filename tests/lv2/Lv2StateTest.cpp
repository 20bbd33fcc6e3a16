// State as hosts keep it (in memory, as a preset file, in a session folder
// that moves), state no plug-in saved, and restores racing the audio thread.
#include "tests/lv2/Lv2SceneHost.h"
#include "tests/testhost/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

namespace {

using namespace lv2testhost;

const std::string kTuningFile = TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v1.tun";

std::vector<float> render(Instance& lv2)  // of an instance that has not played yet
{
    Lv2SceneHost host(lv2);
    return scenes::render(scenes::all()[0], host, {512}, 8192);
}

// Program 5 with a tuning file and edited resonators, and ports moved since (not yet run with).
std::unique_ptr<Instance> instanceWithState(const std::string& tuningFile)
{
    auto lv2 = Instance::create();
    Properties state = lv2->save();
    const int32_t program = 5;
    std::memcpy(programOf(state).value.data(), &program, sizeof(program));
    std::snprintf(recordOf(state, program).tuningMapPath, kTuningMapPathSize, "%s", tuningFile.c_str());
    lv2->restore(state);
    Lv2SceneHost host(*lv2);
    scenes::allResonatorsSetUp(host);
    lv2->parameters[31] = 0.8f;
    return lv2;
}

// A preset links a tuning file that a session names in place: both name the same file.
Properties resolved(Properties state)
{
    for (auto& [key, property] : state)
        if (property.type == LV2_ATOM__Path)
            property.value = {0};
    for (int32_t p = 0; p < kNumPrograms; ++p) {
        char* path = recordOf(state, p).tuningMapPath;
        std::error_code error;
        const std::string file = std::filesystem::canonical(path, error).string();
        if (!error) {
            std::memset(path, 0, kTuningMapPathSize);  // the record's bytes past the text count too
            std::snprintf(path, kTuningMapPathSize, "%s", file.c_str());
        }
    }
    return state;
}

std::unique_ptr<Instance> restored(const LilvState* state)
{
    auto lv2 = Instance::create();
    lv2->restoreState(state);
    lv2->work();
    return lv2;
}

TEST(Lv2State, RestoredIntoAFreshInstanceInMemoryOrFromAPresetFileItIsTheSame)
{
    const testhost::ScratchDirectory dir("lv2-preset");
    auto original = instanceWithState(kTuningFile);
    const std::vector<float> sound = render(*instanceWithState(kTuningFile));
    EXPECT_FALSE(sameBits(sound, render(*instanceWithState("")))) << "the tuning was not applied";

    LilvState* inMemory = original->saveState();
    LilvState* preset = original->saveState(dir.path().c_str());
    ASSERT_EQ(lilv_state_save(world(), uridMap(), uridUnmap(), preset, "urn:test:mine", dir.path().c_str(), "mine.ttl"), 0);
    LilvNode* uri = lilv_new_uri(world(), "urn:test:mine");
    LilvState* fromFile = lilv_state_new_from_file(world(), uridMap(), uri, (dir.path() + "/mine.ttl").c_str());
    ASSERT_TRUE(fromFile);
    for (LilvState* state : {inMemory, fromFile}) {
        auto lv2 = restored(state);
        for (uint32_t i = 0; i < kParameterCount; ++i)
            EXPECT_EQ(lv2->parameters[i], original->parameters[i]) << "port of parameter " << i;
        EXPECT_TRUE(resolved(lv2->save()) == resolved(original->save()));
        EXPECT_TRUE(sameBits(render(*lv2), sound));
    }
    lilv_node_free(uri);
    for (LilvState* state : {inMemory, preset, fromFile})
        lilv_state_free(state);
}

TEST(Lv2State, AMovedSessionFolderStillFindsItsTuningFile)
{
    const testhost::ScratchDirectory scratch("lv2-session");
    const std::string session = scratch.path() + "/session", moved = scratch.path() + "/renamed";
    std::filesystem::create_directories(session + "/tunings");
    std::filesystem::copy_file(kTuningFile, session + "/tunings/19.tun");
    LilvState* state = instanceWithState(session + "/tunings/19.tun")->saveState(session.c_str());
    ASSERT_EQ(lilv_state_save(world(), uridMap(), uridUnmap(), state, nullptr, session.c_str(), "state.ttl"), 0);
    const std::vector<float> sound = render(*instanceWithState(session + "/tunings/19.tun"));
    lilv_state_free(state);
    std::filesystem::rename(session, moved);

    state = lilv_state_new_from_file(world(), uridMap(), nullptr, (moved + "/state.ttl").c_str());
    ASSERT_TRUE(state);
    auto lv2 = restored(state);
    lilv_state_free(state);
    EXPECT_TRUE(sameBits(render(*lv2), sound));
    Properties after = lv2->save();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(find(after, LV2_ATOM__Path)->value.data())), moved + "/tunings/19.tun");
}

TEST(Lv2State, StateNoInstanceSavedChangesNothingAndSaysWhy)
{
    const Properties saved = instanceWithState(kTuningFile)->save();
    const auto setText = [](Property& p, const char* text) { p.value.assign(text, text + std::strlen(text) + 1); };
    const std::pair<const char*, std::function<void(Properties&)>> cases[] = {
        {"bank of the wrong type", [](Properties& s) { bankOf(s).type = LV2_ATOM__String; }},
        {"bank a byte long", [](Properties& s) { bankOf(s).value.push_back(0); }},
        {"bank cut short", [](Properties& s) { bankOf(s).value.resize(kBankBytes / 3); }},
        {"program of the wrong type", [](Properties& s) { programOf(s).type = LV2_ATOM__Float; }},
        {"program of the wrong size", [](Properties& s) { programOf(s).value.resize(2); }},
        {"program out of range", [](Properties& s) { std::memset(programOf(s).value.data(), 0x7f, 4); }},
        {"path to no file", [&](Properties& s) { setText(*find(s, LV2_ATOM__Path), "/nonexistent/19.tun"); }},
        {"path of the wrong type", [](Properties& s) { find(s, LV2_ATOM__Path)->type = LV2_ATOM__Int; }},
    };
    const auto restoredGood = [&] {
        auto lv2 = Instance::create();
        EXPECT_EQ(lv2->restore(saved), LV2_STATE_SUCCESS);
        return lv2;
    };
    const std::vector<float> sound = render(*restoredGood());
    for (const auto& [what, spoil] : cases) {
        auto lv2 = restoredGood();
        const Properties before = lv2->save();
        Properties bad = saved;
        spoil(bad);
        EXPECT_NE(lv2->restore(bad), LV2_STATE_SUCCESS) << what;
        EXPECT_FALSE(lv2->logged.empty()) << what << ": nothing in the host's log";
        EXPECT_TRUE(lv2->save() == before) << what;
        EXPECT_TRUE(sameBits(render(*lv2), sound)) << what;
    }
}

// Hosts restore state and presets, and change ports, while audio runs (under
// ThreadSanitizer in scripts/tsan.sh); the output stays finite.
TEST(Lv2Concurrency, RestoreAndPortChangesRaceRun)
{
    auto lv2 = Instance::create(64);
    Properties states[2] = {lv2->save(), lv2->save()};
    const int32_t three = 3;
    std::memcpy(programOf(states[1]).value.data(), &three, sizeof(three));
    LilvState* preset = presetState(7);
    std::atomic<bool> running{true};
    conformance::OutputCheck check;
    std::thread audio([&] {
        const std::vector<float> in = conformance::noise(64, 3);
        std::vector<float> l(64), r(64);
        for (int block = 0; running; ++block) {
            if (block % 8 == 0)
                lv2->midi(static_cast<uint32_t>(block % 64), block % 16 ? 0x90 : 0x91, static_cast<uint8_t>(40 + block % 40), 100);
            lv2->run(in.data(), in.data(), l.data(), r.data(), 64);
            check.add(l.data(), l.size());
        }
    });
    for (int round = 0; round < 30; ++round) {
        lv2->restore(states[round % 2]);
        if (round % 5 == 0)
            lv2->restoreState(preset);
        for (uint32_t i = 0; i < kParameterCount; ++i)
            lv2->parameters[i] = static_cast<float>((round * 7 + i) % 11) / 10.f;
    }
    running = false;
    audio.join();
    lilv_state_free(preset);
    EXPECT_EQ(check.nonFinite, 0u);
}

}  // namespace
