// The LV2 bundle through a host of the project's own: the reference scenes and
// the factory presets as the VST 2 build plays them, bit for bit; state as hosts
// keep it (in memory, in a session folder that moves), state no plug-in saved,
// and restores racing the audio thread.
#include "host/ResonatorPlugin.h"
#include "lv2/Lv2Ids.h"
#include "tests/lv2/Lv2TestHost.h"
#include "tests/renders/Scenes.h"
#include "tests/testhost/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>

namespace {

using namespace lv2testhost;

const std::string kTuningFile = TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v1.tun";
const std::string kTunKey = std::string(lv2_ids::kTunPathKeyPrefix) + "05";

ProgramRecord& recordOf(Properties& state, int32_t program)
{
    return reinterpret_cast<ProgramRecord*>(state[lv2_ids::kBankKey].value.data())[program];
}

int32_t& programOf(Properties& state) { return *reinterpret_cast<int32_t*>(state[lv2_ids::kProgramKey].value.data()); }

// Into a cleared field, as a restore writes it: the record's bytes past the text compare too.
void setTuningPath(ProgramRecord& record, const std::string& path)
{
    std::memset(record.tuningMapPath, 0, kTuningMapPathSize);
    std::snprintf(record.tuningMapPath, kTuningMapPathSize, "%s", path.c_str());
}

// The first scene, by an instance that has not played yet.
std::vector<float> render(Instance& lv2) { return scenes::render(scenes::all()[0], {512}, 8192, lv2); }

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), sizeof(float) * a.size()) == 0;
}

// The resonators edited in the instance's state, the parameters on its ports,
// the tempo sent once with the first block (the plug-in keeps the last it was given).
void setUp(Instance& lv2, const scenes::Scene& scene)
{
    if (scene.combs) {
        Properties state = lv2.save();
        for (int i = 0; i < kNumCombs; ++i)
            scene.combs(i, recordOf(state, programOf(state)).combSettings[i]);
        lv2.restore(state);
    }
    for (auto [index, value] : scene.parameters)
        lv2.parameters[static_cast<std::size_t>(index)] = value;
    if (scene.bpm > 0.0)
        lv2.tempo(scene.bpm, 3.f, 4);
}

TEST(Lv2Renders, EveryScenePlaysAsInTheVst2BuildAtEveryBlockLengthAndInPlace)
{
    ASSERT_TRUE(Instance::create()) << "the bundle was not found or did not instantiate";
    for (const scenes::Scene& scene : scenes::all()) {
        // Single frames on a short stretch; last, the block lengths the scene was recorded with.
        const std::pair<std::vector<int32_t>, std::size_t> cases[] = {
            {{1}, 12000}, {{17}, SIZE_MAX}, {{512}, SIZE_MAX}, {{8192}, SIZE_MAX}, {scene.blocks, SIZE_MAX}};
        for (const auto& [blocks, frames] : cases) {
            const std::vector<float> expected = scenes::renderVst(scene, blocks, frames);
            for (bool inPlace : {false, true}) {
                auto lv2 = Instance::create(*std::max_element(blocks.begin(), blocks.end()));
                setUp(*lv2, scene);
                EXPECT_TRUE(sameBits(scenes::render(scene, blocks, frames, *lv2, inPlace), expected))
                    << scene.name << ", blocks of " << blocks[0] << (blocks.size() > 1 ? " and others" : "")
                    << (inPlace ? ", buffers in place" : "");
            }
        }
    }
}

// Also with ports a host sets after loading a preset, before the next block.
TEST(Lv2Presets, EachFactoryPresetIsItsProgram)
{
    auto vst = testhost::PluginInstance::load();
    scenes::Scene portsSet = scenes::all()[0];
    portsSet.parameters = {{20, 0.9f}, {31, 0.8f}, {22, 0.3f}};
    for (int32_t n = 0; n < kNumPrograms; ++n) {
        LilvState* preset = presetState(n);
        ASSERT_TRUE(preset) << "preset " << n;
        EXPECT_EQ(lilv_state_get_label(preset), vst->programNameIndexed(n)) << "preset " << n;
        for (const scenes::Scene& scene : {scenes::all()[0], portsSet}) {
            auto lv2 = Instance::create();
            lv2->restoreState(preset);
            lv2->work();
            setUp(*lv2, scene);
            EXPECT_TRUE(sameBits(scenes::render(scene, {512}, 16384, *lv2), scenes::renderVst(scene, {512}, 16384, n)))
                << "preset " << n << (scene.parameters.empty() ? "" : ", ports set after it");
        }
        lilv_state_free(preset);
    }
}

// Program 5 with a tuning file, the resonators and parameters of the second
// scene, and a port moved since (not yet run with).
std::unique_ptr<Instance> instanceWithState(const std::string& tuningFile)
{
    auto lv2 = Instance::create();
    Properties state = lv2->save();
    programOf(state) = 5;
    setTuningPath(recordOf(state, 5), tuningFile);
    lv2->restore(state);
    setUp(*lv2, scenes::all()[1]);
    lv2->parameters[31] = 0.8f;
    return lv2;
}

TEST(Lv2State, RestoredIntoAFreshInstanceFromMemoryOrAMovedSessionFolderItIsTheSame)
{
    const testhost::ScratchDirectory scratch("lv2-session");
    const std::string session = scratch.path() + "/session", moved = scratch.path() + "/moved";
    std::filesystem::create_directories(session + "/tunings");
    std::filesystem::copy_file(kTuningFile, session + "/tunings/19.tun");
    auto original = instanceWithState(session + "/tunings/19.tun");
    const std::vector<float> sound = render(*instanceWithState(session + "/tunings/19.tun"));
    EXPECT_FALSE(sameBits(sound, render(*instanceWithState("")))) << "the tuning was not applied";

    LilvState* inFolder = original->saveState(session.c_str());
    ASSERT_EQ(lilv_state_save(world(), &uridMap, &uridUnmap, inFolder, nullptr, session.c_str(), "state.ttl"), 0);
    lilv_state_free(inFolder);
    const auto restoresAsSaved = [&](LilvState* state, const std::string& folder) {
        ASSERT_TRUE(state);
        auto lv2 = Instance::create();
        lv2->restoreState(state);
        lv2->work();
        lilv_state_free(state);
        for (uint32_t k = 0; k < kParameterCount; ++k)
            EXPECT_EQ(lv2->parameters[k], original->parameters[k]) << "port of parameter " << k;
        const std::string tuning = folder + "/tunings/19.tun";
        Properties now = lv2->save(), expected = original->save();
        EXPECT_STREQ(reinterpret_cast<const char*>(now[kTunKey].value.data()), tuning.c_str());
        setTuningPath(recordOf(expected, 5), tuning);
        expected[kTunKey] = now[kTunKey];
        EXPECT_TRUE(now == expected) << "restored from " << folder;
        EXPECT_TRUE(sameBits(render(*lv2), sound)) << "restored from " << folder;
    };
    restoresAsSaved(original->saveState(), session);
    std::filesystem::rename(session, moved);
    restoresAsSaved(lilv_state_new_from_file(world(), &uridMap, nullptr, (moved + "/state.ttl").c_str()), moved);
}

TEST(Lv2State, StateNoInstanceSavedChangesNothingAndSaysWhy)
{
    const Properties saved = instanceWithState(kTuningFile)->save();
    const std::tuple<const char*, void (*)(Properties&), const char*> cases[] = {  // what, how, why in the log
        {"bank of the wrong type", [](Properties& s) { s[lv2_ids::kBankKey].type = LV2_ATOM__String; }, "not a chunk"},
        {"bank a byte too long", [](Properties& s) { s[lv2_ids::kBankKey].value.push_back(0); }, "bytes, not"},
        {"bank cut short", [](Properties& s) { s[lv2_ids::kBankKey].value.resize(1000); }, "1000 bytes"},
        {"program of the wrong type", [](Properties& s) { s[lv2_ids::kProgramKey].type = LV2_ATOM__Float; }, "not an integer"},
        {"program of the wrong size", [](Properties& s) { s[lv2_ids::kProgramKey].value.resize(2); }, "not an integer"},
        {"program out of range", [](Properties& s) { programOf(s) = 0x7f7f7f7f; }, "not 0 to 31"},
        {"path to no file", [](Properties& s) { s[kTunKey].value = {'/', 'n', 'o', 0}; }, "/no of program 5 does not exist"},
        {"path of the wrong type", [](Properties& s) { s[kTunKey].type = LV2_ATOM__Int; }, "not a path"},
    };
    const auto restoredGood = [&] {
        auto lv2 = Instance::create();
        EXPECT_EQ(lv2->restore(saved), LV2_STATE_SUCCESS);
        return lv2;
    };
    const std::vector<float> sound = render(*restoredGood());
    for (const auto& [what, spoil, why] : cases) {
        auto lv2 = restoredGood();
        const Properties before = lv2->save();
        Properties bad = saved;
        spoil(bad);
        EXPECT_NE(lv2->restore(bad), LV2_STATE_SUCCESS) << what;
        EXPECT_TRUE(!lv2->logged.empty() && lv2->logged.back().find(why) != std::string::npos) << what << ": the log does not say why";
        EXPECT_TRUE(lv2->save() == before) << what;
        EXPECT_TRUE(sameBits(render(*lv2), sound)) << what;
    }
}

// A file the host chose, set between blocks: the worker applies it as the engine applies the
// same file chosen in its dialog. A file that cannot be used, or a message that is not one,
// changes nothing and is logged.
TEST(Lv2Files, PatchSetLoadsTheFileAsTheEngineDoesOrChangesNothing)
{
    const std::string scala = TOVARINE_TESTDATA_DIR "/scala/", wav = TOVARINE_TESTDATA_DIR "/wav/webaudio_bells.wav";
    const char *tuning = lv2_ids::kTuningFileParameter, *impulse = lv2_ids::kImpulseFileParameter;
    const std::tuple<const char*, std::string, const char*, bool> cases[] = {  // property, value, type, loads
        {tuning, kTuningFile, LV2_ATOM__Path, true},
        {tuning, scala + "31edo.scl", LV2_ATOM__Path, true},
        {impulse, wav, LV2_ATOM__Path, true},
        {tuning, scala + "bad/badnote.scl", LV2_ATOM__Path, false},
        {tuning, "/no/such.tun", LV2_ATOM__Path, false},
        {impulse, kTuningFile, LV2_ATOM__Path, false},
        {tuning, "/" + std::string(1100, 'a'), LV2_ATOM__Path, false},
        {tuning, kTuningFile, LV2_ATOM__String, false},
        {lv2_ids::kBankKey, kTuningFile, LV2_ATOM__Path, false},
    };
    for (const auto& [property, value, type, loads] : cases) {
        auto lv2 = Instance::create(64);
        ResonatorPlugin engine([](AEffect*, int32_t, int32_t, intptr_t, void*, float) -> intptr_t { return 0; });
        if (loads)
            property == tuning ? engine.loadTuningFile(value) : engine.analyseImpulseFile(value);
        std::vector<float> in(64), out(64);
        const Properties before = lv2->save();
        lv2->patchSet(property, value, type);
        for (int block = 0; block < 3; ++block)
            lv2->run(in.data(), in.data(), out.data(), out.data(), 64);
        Properties after = lv2->save();
        const ProgramRecord &shown = recordOf(after, programOf(after)), &expected = engine.getPrograms()[0];
        const std::string what = std::string(property) + " = " + value.substr(0, 80) + " as " + type;
        EXPECT_EQ(std::memcmp(shown.combSettings, expected.combSettings, sizeof(shown.combSettings)), 0) << what;
        EXPECT_STREQ(shown.tuningMapPath, expected.tuningMapPath) << what;
        EXPECT_EQ(after == before, !loads) << what;
        EXPECT_EQ(lv2->logged.size(), loads ? 0u : 1u) << what;
    }
}

// Hosts restore state and presets, set files, and change ports, while audio runs (under
// ThreadSanitizer in scripts/tsan.sh); the output stays finite.
TEST(Lv2Concurrency, RestoreAndPortChangesRaceRun)
{
    auto lv2 = Instance::create(64);
    Properties states[2] = {lv2->save(), lv2->save()};
    programOf(states[1]) = 3;
    LilvState* preset = presetState(7);
    std::atomic<bool> running{true};
    conformance::OutputCheck check;
    std::thread audio([&] {
        const std::vector<float> in = conformance::noise(64, 3);
        std::vector<float> l(64), r(64);
        for (int block = 0; running || block < 64; ++block) {
            if (block % 16 == 4)  // a file the host chose, loaded by the worker while a restore may run
                lv2->patchSet(lv2_ids::kTuningFileParameter, block % 32 == 4 ? kTuningFile : TOVARINE_TESTDATA_DIR "/scala/31edo.scl");
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
        for (uint32_t k = 0; k < kParameterCount; ++k)
            lv2->parameters[k] = static_cast<float>((round * 7 + k) % 11) / 10.f;
    }
    running = false;
    audio.join();
    lilv_state_free(preset);
    EXPECT_EQ(check.nonFinite, 0u);
}

}  // namespace
