// State through lilv as hosts keep it (in memory, as a preset file, in a
// session folder that moves), and state no plug-in saved, which must change nothing.
#include "tests/lv2/Lv2SceneHost.h"
#include "tests/testhost/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <lv2/atom/atom.h>

#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

using lv2testhost::BankState;
using lv2testhost::Instance;
using lv2testhost::Lv2SceneHost;
using lv2testhost::Properties;
using lv2testhost::World;

const char* const kTuningFile = TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v1.tun";

// Instances compared by their renders have not played before.
std::vector<float> renderFromStart(Instance& lv2)
{
    Lv2SceneHost host(lv2);
    return scenes::render(scenes::all()[0], host, {512}, 8192);
}

// A preset keeps a link to a tuning file where a session keeps the file's path: both name the same file.
Properties withFilesResolved(Properties state)
{
    const auto resolve = [](char* path, std::size_t size) {
        std::error_code error;
        const std::string file = std::filesystem::canonical(path, error).string();
        if (!error)
            std::snprintf(path, size, "%s", file.c_str());
    };
    for (auto& [key, property] : state) {
        if (property.type == LV2_ATOM__Path) {
            property.value.resize(4096);
            resolve(reinterpret_cast<char*>(property.value.data()), 4096);
        }
    }
    BankState bank(state);
    for (int32_t p = 0; p < kNumPrograms; ++p)
        resolve(bank.record(p)->tuningMapPath, kTuningMapPathSize);
    return state;
}

// Program 5 with a tuning file, edited resonators and moved ports.
std::unique_ptr<Instance> instanceWithState(const std::string& tuningPath)
{
    auto lv2 = Instance::create();
    if (!lv2)
        return nullptr;
    Properties state = lv2->save();
    BankState bank(state);
    const int32_t program = 5;
    std::memcpy(bank.program->value.data(), &program, sizeof(program));
    std::snprintf(bank.record(program)->tuningMapPath, kTuningMapPathSize, "%s", tuningPath.c_str());
    lv2->restore(state);
    Lv2SceneHost host(*lv2);
    scenes::allResonatorsSetUp(host);
    lv2->setParameter(31, 0.8f);  // saved before the plug-in has run with it
    return lv2;
}

void expectSameInstance(Instance& restored, Instance& original, const std::vector<float>& sound, const char* how)
{
    for (uint32_t i = 0; i < lv2testhost::kParameterCount; ++i)
        EXPECT_EQ(restored.parameter(i), original.parameter(i)) << how << ", port of parameter " << i;
    EXPECT_TRUE(withFilesResolved(restored.save()) == withFilesResolved(original.save())) << how;
    EXPECT_EQ(lv2testhost::firstDifference(renderFromStart(restored), sound), -1) << how;
}

TEST(Lv2State, RestoredIntoAFreshInstanceItSoundsTheSame)
{
    auto original = instanceWithState(kTuningFile);
    ASSERT_TRUE(original);
    const std::vector<float> sound = renderFromStart(*instanceWithState(kTuningFile));
    EXPECT_NE(lv2testhost::firstDifference(sound, renderFromStart(*instanceWithState(""))), -1)
        << "the tuning file was not applied";

    LilvState* inMemory = original->saveState();
    auto restored = Instance::create();
    restored->restoreState(inMemory);
    expectSameInstance(*restored, *original, sound, "state in memory");

    // A user preset: the ports and the state in a preset file, loaded back.
    const testhost::ScratchDirectory dir("lv2-preset");
    World& w = World::get();
    LilvState* preset = original->saveState(dir.path());
    lilv_state_set_label(preset, "Mine");
    ASSERT_EQ(lilv_state_save(w.world, &w.mapFeature, &w.unmapFeature, preset, "urn:tovarine:test-preset", dir.path().c_str(),
                              "mine.ttl"), 0);
    LilvNode* uri = w.node("urn:tovarine:test-preset");
    LilvState* loaded = lilv_state_new_from_file(w.world, &w.mapFeature, uri, (dir.path() + "/mine.ttl").c_str());
    lilv_node_free(uri);
    ASSERT_TRUE(loaded);
    EXPECT_STREQ(lilv_state_get_label(loaded), "Mine");
    auto fromFile = Instance::create();
    fromFile->restoreState(loaded);
    expectSameInstance(*fromFile, *original, sound, "user preset");
    for (LilvState* s : {inMemory, preset, loaded})
        lilv_state_free(s);
}

TEST(Lv2State, AMovedSessionFolderStillFindsItsTuningFile)
{
    const testhost::ScratchDirectory scratch("lv2-session");
    const std::string session = scratch.path() + "/session", moved = scratch.path() + "/renamed";
    std::filesystem::create_directories(session + "/tunings");
    std::filesystem::copy_file(kTuningFile, session + "/tunings/19.tun");
    auto original = instanceWithState(session + "/tunings/19.tun");
    ASSERT_TRUE(original);
    const std::vector<float> tuned = renderFromStart(*instanceWithState(session + "/tunings/19.tun"));

    World& w = World::get();
    LilvState* state = original->saveState(session);
    ASSERT_EQ(lilv_state_save(w.world, &w.mapFeature, &w.unmapFeature, state, nullptr, session.c_str(), "state.ttl"), 0);
    lilv_state_free(state);
    original.reset();
    std::filesystem::rename(session, moved);

    LilvState* reopened = lilv_state_new_from_file(w.world, &w.mapFeature, nullptr, (moved + "/state.ttl").c_str());
    ASSERT_TRUE(reopened);
    auto restored = Instance::create();
    restored->restoreState(reopened);
    lilv_state_free(reopened);
    EXPECT_EQ(lv2testhost::firstDifference(renderFromStart(*restored), tuned), -1);
    Properties after = restored->save();
    const lv2testhost::Property* path = lv2testhost::find(after, LV2_ATOM__Path);
    ASSERT_TRUE(path);
    EXPECT_NE(std::string(reinterpret_cast<const char*>(path->value.data())).find("/renamed/"), std::string::npos);
}

TEST(Lv2State, StateNoInstanceSavedChangesNothing)
{
    auto good = instanceWithState(kTuningFile);
    ASSERT_TRUE(good);
    const Properties saved = good->save();
    const auto setBytes = [](lv2testhost::Property& p, const std::string& text) {
        p.value.assign(text.begin(), text.end());
        p.value.push_back('\0');
    };
    struct Case {
        const char* what;
        std::function<void(Properties&)> spoil;
    };
    const Case cases[] = {
        {"bank of the wrong type", [](Properties& s) { BankState(s).bank->type = LV2_ATOM__String; }},
        {"bank one byte long", [](Properties& s) { BankState(s).bank->value.push_back(0); }},
        {"bank cut short", [](Properties& s) { BankState(s).bank->value.resize(lv2testhost::kBankBytes / 3); }},
        {"program of the wrong type", [](Properties& s) { BankState(s).program->type = LV2_ATOM__Float; }},
        {"program of the wrong size", [](Properties& s) { BankState(s).program->value.resize(2); }},
        {"program out of range", [](Properties& s) { std::memset(BankState(s).program->value.data(), 0x7f, 4); }},
        {"path to no file", [&](Properties& s) { setBytes(*lv2testhost::find(s, LV2_ATOM__Path), "/nonexistent/tovarine/19.tun"); }},
        {"path of the wrong type", [](Properties& s) { lv2testhost::find(s, LV2_ATOM__Path)->type = LV2_ATOM__Int; }},
    };
    ASSERT_TRUE(lv2testhost::find(const_cast<Properties&>(saved), LV2_ATOM__Path)) << "no tuning path in the state";
    const auto restoredGood = [&] {
        auto lv2 = Instance::create();
        EXPECT_EQ(lv2->restore(saved), LV2_STATE_SUCCESS);
        return lv2;
    };
    const std::vector<float> sound = renderFromStart(*restoredGood());
    for (const Case& c : cases) {
        auto lv2 = restoredGood();
        const Properties before = lv2->save();
        const std::size_t messages = lv2->logged.size();
        Properties bad = saved;
        c.spoil(bad);
        EXPECT_NE(lv2->restore(bad), LV2_STATE_SUCCESS) << c.what;
        EXPECT_GT(lv2->logged.size(), messages) << c.what << ": nothing in the host's log";
        EXPECT_TRUE(lv2->save() == before) << c.what;
        EXPECT_EQ(lv2testhost::firstDifference(renderFromStart(*lv2), sound), -1) << c.what;
    }
}

}  // namespace
