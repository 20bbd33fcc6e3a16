// The editor inside a real plug-in object, on a scripted window: the menus' and
// controls' actions reach the plug-in, and the views follow the plug-in's changes.
#include "ScriptedPlatform.h"

#include "editor/CombDisplay.h"
#include "editor/CombTypeSelector.h"
#include "editor/DelayInfoLabel.h"
#include "editor/EditorColours.h"
#include "editor/EditorSnapshot.h"
#include "editor/EnvelopeStrip.h"
#include "editor/ResonatorEditor.h"
#include "gui/CFrame.h"
#include "gui/COptionMenu.h"
#include "gui/DebugCounters.h"
#include "gui/InputState.h"
#include "host/ResonatorPlugin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct HostCall {
    int32_t opcode;
    int32_t index;
    float opt;
};
std::vector<HostCall> gHostCalls;

intptr_t hostCallback(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float opt)
{
    gHostCalls.push_back({opcode, index, opt});
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Records what the editor asks of the plug-in; the dialog commands stay unrun unless allowed.
class RecordingPlugin : public ResonatorPlugin {
public:
    RecordingPlugin() : ResonatorPlugin(hostCallback) {}
    void setParameter(int32_t index, float value) override
    {
        calls.emplace_back(index, value);
        if (index == 45 && (value == 0.f || value == 1.f) && !runDialogs)
            return;
        ResonatorPlugin::setParameter(index, value);
    }
    bool called(int32_t index, float value) const
    {
        for (const auto& c : calls)
            if (c.first == index && c.second == value)
                return true;
        return false;
    }
    std::vector<std::pair<int32_t, float>> calls;
    bool runDialogs = false;
};

// A directory first on PATH with a stand-in "zenity" script.
class FakeZenity {
public:
    explicit FakeZenity(const std::string& body)
    {
        dir = std::filesystem::temp_directory_path() / ("tovarine-editor-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        const auto script = dir / "zenity";
        std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", (dir.string() + ":" + oldPath).c_str(), 1);
    }
    ~FakeZenity()
    {
        ::setenv("PATH", oldPath.c_str(), 1);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;

private:
    std::string oldPath;
};

constexpr CPoint kOnDisplay{300, 200};

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gHostCalls.clear();
        editor = plugin.getResonatorEditor();
        ASSERT_NE(editor, nullptr);
        open();
    }

    void open()
    {
        editor->openWithPlatform(std::make_unique<ScriptedPlatform>(script));
        script.frame = editor->getFrame();
    }

    void press(std::vector<PointerStep> steps)
    {
        script.steps = std::move(steps);
        script.current = 0;
        editor->getFrame()->windowMouseDown(script.steps.front().where);
    }

    void choose(std::vector<std::string> path, CPoint where = kOnDisplay)
    {
        script.menuChoice = std::move(path);
        press({{kRButton, where}, {0, where}});
        script.menuChoice.clear();
    }

    const PopupMenuEntry* submenuShown(const char* text) const
    {
        for (const PopupMenuEntry& e : script.popupsShown.back())
            if (e.text == text)
                return &e;
        return nullptr;
    }

    std::string loadItemText() const
    {
        char text[256] = {};
        editor->getCombDisplay()->getEntry(ResonatorEditor::kLoadTuningItem, text);
        return text;
    }

    ScriptState script;
    RecordingPlugin plugin;
    ResonatorEditor* editor = nullptr;
};

TEST_F(EditorTest, CommandMenuHasItsItemsAndEachSendsItsCommand)
{
    choose({});
    ASSERT_FALSE(script.popupsShown.empty());
    const auto& items = script.popupsShown.back();
    ASSERT_EQ(items.size(), 15u);
    EXPECT_EQ(items[0].text, "Load Tuning Map [standard]");
    EXPECT_EQ(items[1].text, "Analyse Impulse (16 bit .WAV)");
    EXPECT_EQ(items[2].kind, PopupMenuEntry::kSeparator);
    EXPECT_EQ(items[7].kind, PopupMenuEntry::kSeparator);
    const char* submenus[] = {"Sync combs", "Tension modeling", "Feedback delay", "Feedback filter"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items[size_t(3 + i)].kind, PopupMenuEntry::kSubmenu);
        EXPECT_EQ(items[size_t(3 + i)].text, submenus[i]);
    }
    for (const auto& item : items)
        EXPECT_FALSE(item.checked);

    const std::pair<const char*, float> commands[] = {{"Load Tuning Map [standard]", 0.f},
        {"Analyse Impulse (16 bit .WAV)", 1.f}, {"+ 10%", 8.f}, {"+ 5%", 9.f}, {"+ 1%", 10.f}, {"- 1%", 11.f},
        {"- 5%", 12.f}, {"- 10%", 13.f}, {"(Reset)", 14.f}};
    for (const auto& [text, value] : commands) {
        plugin.calls.clear();
        choose({text});
        EXPECT_TRUE(plugin.called(45, value)) << text;
    }
}

TEST_F(EditorTest, SubmenusSetTheirParametersAndCheckTheCurrentItem)
{
    const struct {
        const char* submenu;
        int32_t parameter;
        std::vector<const char*> items;
    } menus[] = {{"Tension modeling", 32, {"No modeling", "Model A", "Model B"}},
        {"Feedback delay", 33,
            {"Tune to MIDI", "Sync (bar)", "Sync (1/2)", "Sync (1/4)", "Sync (1/8)", "Sync (1/8T)", "Sync (1/16)",
                "Sync (1/16T)"}},
        {"Feedback filter", 34, {"Lowpass", "Highpass", "Bandpass", "Notch", "Allpass"}}};
    for (const auto& menu : menus) {
        for (size_t k = 0; k < menu.items.size(); ++k) {
            choose({menu.submenu, menu.items[k]});
            EXPECT_FLOAT_EQ(plugin.liveParams[menu.parameter], float(k) * 0.1f) << menu.items[k];
            editor->idle();
            choose({});
            const PopupMenuEntry* shown = submenuShown(menu.submenu);
            ASSERT_NE(shown, nullptr);
            ASSERT_EQ(shown->submenu.size(), menu.items.size());
            for (size_t j = 0; j < menu.items.size(); ++j)
                EXPECT_EQ(shown->submenu[j].checked, j == k) << menu.items[k] << " item " << j;
        }
    }

    // A change from elsewhere moves the check mark: 0.7 is item 7 by rounding.
    plugin.setParameter(33, 0.7f);
    editor->idle();
    choose({});
    const PopupMenuEntry* shown = submenuShown("Feedback delay");
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->submenu[7].checked);
    EXPECT_FALSE(shown->submenu[6].checked);
}

TEST_F(EditorTest, SyncMenuSendsTheDivisionAndShowsThePitches)
{
    // Show the decay bars first, through the selector's second segment.
    press({{kLButton, CPoint(11 + 60, 100)}, {0, CPoint(11 + 60, 100)}});
    EXPECT_FLOAT_EQ(plugin.liveParams[1], 1.f / 14.f);
    EXPECT_EQ(editor->getCombDisplay()->getType(), 4);

    const char* items[] = {"To bar", "To 1/4", "To 1/8", "To 1/8T", "To 1/16", "To 1/16T"};
    for (int k = 0; k < 6; ++k) {
        plugin.calls.clear();
        choose({"Sync combs", items[k]});
        EXPECT_TRUE(plugin.called(46, float(k))) << items[k];
    }
    choose({});
    for (const auto& item : submenuShown("Sync combs")->submenu)
        EXPECT_FALSE(item.checked);
    editor->idle();
    EXPECT_EQ(plugin.liveParams[1], 0.f);
    EXPECT_EQ(editor->getTypeSelector()->getValue(), 0.f);
    EXPECT_EQ(editor->getCombDisplay()->getType(), 3);
    EXPECT_FLOAT_EQ(editor->getCombDisplay()->getColumnValue(40), plugin.getCurrentCombs()[40].normalPitch);
}

TEST_F(EditorTest, DrawingWritesAllResonatorsOfTheShownType)
{
    press({{kLButton, CPoint(11 + 60, 100)}, {0, CPoint(11 + 60, 100)}});  // decay
    ASSERT_EQ(editor->getCombDisplay()->getType(), 4);
    float before[88];
    for (int i = 0; i < 88; ++i)
        before[i] = plugin.getCurrentCombs()[i].Decay;

    // Column 20 at 3/4 of the height, then column 21 at 1/4.
    const CPoint a(11 + 20 * 7 + 3, 125 + 50), b(11 + 21 * 7 + 3, 125 + 150);
    press({{kLButton, a}, {kLButton, b}, {0, b}});
    const CombSettings* combs = plugin.getCurrentCombs();
    const ProgramRecord& stored = plugin.getPrograms()[plugin.getProgram()];
    EXPECT_FLOAT_EQ(combs[20].Decay, 0.75f);
    EXPECT_FLOAT_EQ(combs[21].Decay, 0.25f);
    EXPECT_FLOAT_EQ(stored.combSettings[21].Decay, 0.25f);
    for (int i = 0; i < 88; ++i) {
        if (i != 20 && i != 21) {
            EXPECT_FLOAT_EQ(combs[i].Decay, before[i]) << i;
        }
    }
    EXPECT_FLOAT_EQ(combs[20].normalPitch, stored.combSettings[20].normalPitch);
    int decayWrites = 0;
    for (const auto& c : gHostCalls)
        decayWrites += c.opcode == audioMasterBeginEdit && c.index == 44;
    EXPECT_EQ(decayWrites, 1);
}

TEST_F(EditorTest, KnobsAutomateTheHostAndFollowEveryParameter)
{
    // Drag the feedback level knob from its lowest to its top position.
    const CPoint low(120, 392), top(133, 366);
    press({{kLButton, low}, {kLButton, top}, {0, top}});
    bool began = false, automated = false, ended = false;
    for (const auto& c : gHostCalls) {
        began |= c.opcode == audioMasterBeginEdit && c.index == 20;
        automated |= c.opcode == audioMasterAutomate && c.index == 20;
        ended |= c.opcode == audioMasterEndEdit && c.index == 20;
    }
    EXPECT_TRUE(began);
    EXPECT_TRUE(automated);
    EXPECT_TRUE(ended);
    EXPECT_FLOAT_EQ(plugin.liveParams[20], editor->getControl(20)->getValue());

    // Every knob follows host automation, the output and mix knobs too.
    for (int32_t index = 20; index <= 31; ++index)
        plugin.setParameter(index, 0.125f + 0.01f * float(index - 20));
    editor->idle();
    for (int32_t index = 20; index <= 31; ++index) {
        ASSERT_NE(editor->getControl(index), nullptr) << index;
        EXPECT_FLOAT_EQ(editor->getControl(index)->getValue(), 0.125f + 0.01f * float(index - 20)) << index;
    }
}

TEST_F(EditorTest, SelectorFollowsParameterOneWithoutChangingTheBars)
{
    const int32_t shownType = editor->getCombDisplay()->getType();
    plugin.setParameter(1, (float(shownType - 3) + 2.f) / 14.f);
    editor->idle();
    EXPECT_FLOAT_EQ(editor->getTypeSelector()->getValue(), (float(shownType - 3) + 2.f) / 14.f);
    EXPECT_EQ(editor->getCombDisplay()->getType(), shownType);
    // Ctrl-click returns the selector to its first segment.
    press({{kLButton | kControl, CPoint(300, 100)}, {0, CPoint(300, 100)}});
    EXPECT_EQ(plugin.liveParams[1], 0.f);
}

TEST_F(EditorTest, NudgeReloadsTheBarsOfTheShownType)
{
    press({{kLButton, CPoint(11 + 60, 100)}, {0, CPoint(11 + 60, 100)}});  // decay
    const float before = plugin.getCurrentCombs()[10].Decay;
    choose({"- 5%"});
    editor->idle();
    EXPECT_NEAR(plugin.getCurrentCombs()[10].Decay, before - 0.05f, 1e-6f);
    EXPECT_FLOAT_EQ(editor->getCombDisplay()->getColumnValue(10), plugin.getCurrentCombs()[10].Decay);
    EXPECT_STREQ(editor->getCombDisplay()->getTitle(), "");
}

TEST_F(EditorTest, TuningTextsFollowAMapLoadedThroughTheDialog)
{
    const std::string map = std::string(TOVARINE_TESTDATA_DIR) + "/tun/parnassus_19EDO_v1.tun";
    FakeZenity zenity("echo '" + map + "'");
    plugin.runDialogs = true;
    choose({"Load Tuning Map [standard]"});
    editor->idle();
    EXPECT_EQ(loadItemText(), "Load Tuning Map [parnassus_19EDO_v1]");
    EXPECT_STREQ(editor->getCombDisplay()->getTitle(), "Tuning [parnassus_19EDO_v1]");
    EXPECT_EQ(editor->getCombDisplay()->getType(), 3);
}

TEST_F(EditorTest, AboutHotspotOpensOnTheRightButtonOnly)
{
    FakeZenity zenity("echo \"$@\" > \"$(dirname \"$0\")/about.txt\"");
    const CPoint corner(5, 5);
    press({{kLButton, corner}, {0, corner}});
    EXPECT_TRUE(script.popupsShown.empty());
    choose({}, corner);  // dismissed
    ASSERT_EQ(script.popupsShown.size(), 1u);
    ASSERT_EQ(script.popupsShown[0].size(), 1u);
    EXPECT_EQ(script.popupsShown[0][0].text, "About Tovarine");
    EXPECT_FALSE(std::filesystem::exists(zenity.dir / "about.txt"));

    choose({"About Tovarine"}, corner);
    std::ifstream shown(zenity.dir / "about.txt");
    std::string arguments;
    std::getline(shown, arguments);
    EXPECT_NE(arguments.find("--info"), std::string::npos);
    EXPECT_NE(arguments.find("--title=Tovarine"), std::string::npos);
    EXPECT_NE(arguments.find("v1.2"), std::string::npos);
}

TEST_F(EditorTest, NotesLightTheEnvelopeStripAtIdle)
{
    plugin.setSampleRate(44100.f);
    plugin.setBlockSize(256);
    plugin.resume();
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof(note);
    note.midiData[0] = char(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 127;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);
    plugin.processEvents(&events);
    std::vector<float> inL(256, 0.f), inR(256, 0.f), outL(256), outR(256);
    float* ins[] = {inL.data(), inR.data()};
    float* outs[] = {outL.data(), outR.data()};
    for (int block = 0; block < 20; ++block)
        plugin.processReplacing(ins, outs, 256);
    ASSERT_GT(plugin.getEnvelopeLevels()[48], 0.f);

    editor->idle();
    COffscreenContext context(editor->getFrame(), 640, 420);
    editor->getEnvelopeStrip()->draw(&context);
    EXPECT_FALSE(context.getPixel(11 + 48 * 7 + 3, 333) == editor_colours::kDarkBrown);
    EXPECT_TRUE(context.getPixel(11 + 47 * 7 + 3, 333) == editor_colours::kDarkBrown);
    EXPECT_STREQ(editor->getDelayLabel()->getText(), "(--)");
}

TEST_F(EditorTest, NotificationsWhileClosedAreIgnoredAndOpenCloseLeavesNothingBehind)
{
    editor->close();
    const int32_t views = guiDebugCounters().views;
    const int32_t offscreens = guiDebugCounters().offscreenContexts;
    const int32_t bitmaps = guiDebugCounters().bitmaps;
    plugin.setParameter(20, 0.3f);
    editor->setParameter(46, 2.f);  // no frame: not even the selector reset happens
    editor->showCombParameter(5);
    editor->idle();
    EXPECT_FLOAT_EQ(plugin.liveParams[20], 0.3f);
    EXPECT_FALSE(plugin.called(1, 0.f));

    // Automation from another thread while the window opens and closes.
    std::atomic<bool> stop{false};
    std::thread automation([&] {
        float v = 0.f;
        while (!stop.load()) {
            plugin.ResonatorPlugin::setParameter(30, v);
            plugin.ResonatorPlugin::setParameter(33, 0.3f);
            plugin.showCombParameterInEditor(4);
            v = v > 0.9f ? 0.f : v + 0.01f;
        }
    });
    for (int i = 0; i < 50; ++i) {
        open();
        editor->idle();
        editor->close();
    }
    stop.store(true);
    automation.join();
    EXPECT_EQ(guiDebugCounters().views, views);
    EXPECT_EQ(guiDebugCounters().offscreenContexts, offscreens);
    EXPECT_EQ(guiDebugCounters().bitmaps, bitmaps);
}

TEST_F(EditorTest, SnapshotIsWrittenWithAndWithoutAnOpenWindow)
{
    const auto png = std::filesystem::temp_directory_path() / ("tovarine-editor-" + std::to_string(::getpid()) + ".png");
    EXPECT_TRUE(renderEditorToPng(&plugin, png.c_str()));
    EXPECT_GT(std::filesystem::file_size(png), 1000u);
    editor->close();
    EXPECT_TRUE(renderEditorToPng(&plugin, png.c_str()));
    EXPECT_EQ(editor->getFrame(), nullptr);
    std::filesystem::remove(png);
}

}  // namespace
