// The editor inside a real plug-in object, on a scripted window: the menus' and
// controls' actions reach the plug-in, and the views follow the plug-in's changes.
#include "../gui/GuiTestSupport.h"
#include "TovarineVersion.h"
#include "EditorPixelProbes.h"

#include "editor/CombDisplay.h"
#include "editor/CombTypeSelector.h"
#include "editor/EditorSnapshot.h"
#include "editor/ResonatorEditor.h"
#include "gui/COffscreenContext.h"
#include "gui/COptionMenu.h"
#include "gui/DebugCounters.h"
#include "gui/InputState.h"
#include "host/ResonatorPlugin.h"
#include "tests/testhost/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

intptr_t silentHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Records what the editor asks of the plug-in; the dialog commands stay unrun unless allowed.
class RecordingPlugin : public ResonatorPlugin {
public:
    RecordingPlugin() : ResonatorPlugin(silentHost) {}
    void setParameter(int32_t index, float value) override
    {
        calls.emplace_back(index, value);
        if (index != 45 || (value != 0.f && value != 1.f) || runDialogs)
            ResonatorPlugin::setParameter(index, value);
    }
    bool called(int32_t index, float value) const
    {
        return std::find(calls.begin(), calls.end(), std::pair(index, value)) != calls.end();
    }
    std::vector<std::pair<int32_t, float>> calls;
    bool runDialogs = false;
};

// A stand-in "zenity" first on PATH for the test's lifetime.
struct FakeZenity {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tovarine-editor-" + std::to_string(getpid()));
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    explicit FakeZenity(const std::string& body)
    {
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "zenity") << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(dir / "zenity", std::filesystem::perms::owner_all);
        setenv("PATH", (dir.string() + ":" + oldPath).c_str(), 1);
    }
    ~FakeZenity()
    {
        setenv("PATH", oldPath.c_str(), 1);
        std::filesystem::remove_all(dir);
    }
};

constexpr CPoint kOnDisplay{300, 200};
constexpr CPoint kDecaySegment{71, 100};

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override { open(); }

    void open()
    {
        platform = new ScriptedPlatform;
        editor->openWithPlatform(std::unique_ptr<PlatformFrame>(platform));
        platform->frame = editor->getFrame();
    }
    void press(int32_t buttons, CPoint where)
    {
        platform->steps = {{buttons, where}, {0, where}};
        platform->current = 0;
        editor->getFrame()->windowMouseDown(where);
    }
    // Right-clicks and chooses the entry with this text (anywhere in the menu tree), or none.
    void choose(const std::string& text, CPoint where = kOnDisplay)
    {
        platform->choose = [text](const std::vector<PopupMenuEntry>& entries) { return findCommand(entries, text); };
        press(kRButton, where);
    }
    const PopupMenuEntry& shownSubmenu(size_t index) const { return platform->lastPopup.at(index); }

    RecordingPlugin plugin;
    ResonatorEditor* editor = plugin.getResonatorEditor();
    ScriptedPlatform* platform = nullptr;
};

// The table the Windows editor's window is held to is what this editor draws.
TEST_F(EditorTest, DrawsTheProbedSelectorAndBarPixelsOfProgramZero)
{
    CFrame* frame = editor->getFrame();
    COffscreenContext context(frame, 640, 420);
    frame->draw(&context);
    editor_probes::forEachProbe([&](int x, int y, uint32_t expected) {
        EXPECT_EQ(context.getPixel(x, y).rgb(), expected) << x << "," << y;
    });
}

TEST_F(EditorTest, CommandMenuItemsSendTheirCommandValue)
{
    const std::pair<const char*, float> commands[] = {{"Load Tuning Map [standard]", 0.f},
        {"Analyse Impulse (16 bit .WAV)", 1.f}, {"+ 10%", 8.f}, {"+ 5%", 9.f}, {"+ 1%", 10.f}, {"- 1%", 11.f},
        {"- 5%", 12.f}, {"- 10%", 13.f}, {"(Reset)", 14.f}};
    for (const auto& [text, value] : commands) {
        plugin.calls.clear();
        choose(text);
        EXPECT_TRUE(plugin.called(45, value)) << text;
    }
}

TEST_F(EditorTest, SubmenusSetTheirParameterAndCheckItsItem)
{
    const struct {
        size_t entry;
        int32_t parameter;
        std::vector<const char*> items;
    } menus[] = {{4, 32, {"No modeling", "Model A", "Model B"}},
        {5, 33, {"Tune to MIDI", "Sync (bar)", "Sync (1/2)", "Sync (1/4)", "Sync (1/8)", "Sync (1/8T)", "Sync (1/16)", "Sync (1/16T)"}},
        {6, 34, {"Lowpass", "Highpass", "Bandpass", "Notch", "Allpass"}}};
    for (const auto& menu : menus) {
        for (size_t k = 0; k < menu.items.size(); ++k) {
            choose(menu.items[k]);
            EXPECT_FLOAT_EQ(plugin.liveParams[menu.parameter], float(k) * 0.1f) << menu.items[k];
            editor->idle();
            choose("");
            for (size_t j = 0; j < menu.items.size(); ++j)
                EXPECT_EQ(shownSubmenu(menu.entry).submenu.at(j).checked, j == k) << menu.items[k] << " item " << j;
        }
    }
    plugin.setParameter(33, 0.7f);  // from the host: item 7 by rounding 0.7 x 10
    editor->idle();
    choose("");
    EXPECT_TRUE(shownSubmenu(5).submenu[7].checked);
    EXPECT_FALSE(shownSubmenu(5).submenu[6].checked);
}

TEST_F(EditorTest, SyncSendsTheDivisionAndShowsThePitchesWithTheSelectorReset)
{
    press(kLButton, kDecaySegment);
    EXPECT_FLOAT_EQ(plugin.liveParams[1], 1.f / 14.f);
    EXPECT_EQ(editor->getCombDisplay()->getType(), 4);
    const char* items[] = {"To bar", "To 1/4", "To 1/8", "To 1/8T", "To 1/16", "To 1/16T"};
    for (int k = 0; k < 6; ++k) {
        choose(items[k]);
        EXPECT_TRUE(plugin.called(46, float(k))) << items[k];
    }
    choose("");
    for (const auto& item : shownSubmenu(3).submenu)
        EXPECT_FALSE(item.checked);
    editor->idle();
    EXPECT_EQ(plugin.liveParams[1], 0.f);
    EXPECT_EQ(editor->getTypeSelector()->getValue(), 0.f);
    EXPECT_EQ(editor->getCombDisplay()->getType(), 3);
    EXPECT_FLOAT_EQ(editor->getCombDisplay()->getColumnValue(40), plugin.getCurrentCombs()[40].normalPitch);
}

TEST_F(EditorTest, ControlsFollowTheHostButTheBarsKeepTheirTypeUntilTheSelectorIsUsed)
{
    const int32_t shownType = editor->getCombDisplay()->getType();
    const float other = float((shownType - 3 + 2) % 15) / 14.f;
    plugin.setParameter(1, other);
    for (int32_t index = 20; index <= 31; ++index)  // the output and mix knobs too
        plugin.setParameter(index, 0.125f + 0.01f * float(index - 20));
    editor->idle();
    EXPECT_FLOAT_EQ(editor->getTypeSelector()->getValue(), other);
    EXPECT_EQ(editor->getCombDisplay()->getType(), shownType);
    for (int32_t index = 20; index <= 31; ++index)
        EXPECT_FLOAT_EQ(editor->getControl(index)->getValue(), 0.125f + 0.01f * float(index - 20)) << index;

    // Nudging changes the bars of the shown type (decay) and shows no tuning title.
    press(kLButton, kDecaySegment);
    const float before = plugin.getCurrentCombs()[10].Decay;
    choose("- 5%");
    editor->idle();
    EXPECT_NEAR(plugin.getCurrentCombs()[10].Decay, before - 0.05f, 1e-6f);
    EXPECT_FLOAT_EQ(editor->getCombDisplay()->getColumnValue(10), plugin.getCurrentCombs()[10].Decay);
    EXPECT_STREQ(editor->getCombDisplay()->getTitle(), "");
}

TEST_F(EditorTest, TuningTextsFollowAMapLoadedThroughTheDialog)
{
    FakeZenity zenity("echo '" TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v1.tun'");
    plugin.runDialogs = true;
    choose("Load Tuning Map [standard]");
    editor->idle();
    char item[256] = {};
    editor->getCombDisplay()->getEntry(ResonatorEditor::kLoadTuningItem, item);
    EXPECT_STREQ(item, "Load Tuning Map [parnassus_19EDO_v1]");
    EXPECT_STREQ(editor->getCombDisplay()->getTitle(), "Tuning [parnassus_19EDO_v1]");
    EXPECT_EQ(editor->getCombDisplay()->getType(), 3);
}

TEST_F(EditorTest, WithoutADialogProgramTheFileCommandsSayWhatToInstallAndChangeNothing)
{
    const std::string map = TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v1.tun";
    plugin.runDialogs = true;
    {
        FakeZenity zenity("echo '" + map + "'");
        choose("Load Tuning Map [standard]");
        editor->idle();
    }
    const float delay = plugin.getCurrentCombs()[40].Delay;
    const float decay = plugin.getCurrentCombs()[40].Decay;

    testhost::ScratchDirectory nothing{"no-dialog", testhost::ScratchDirectory::kAloneOnPath};
    testing::internal::CaptureStderr();
    choose("Load Tuning Map [parnassus_19EDO_v1]");
    editor->idle();
    EXPECT_STREQ(editor->getCombDisplay()->getTitle(),
                 "Tuning [parnassus_19EDO_v1] - no file dialog: install zenity or kdialog");
    EXPECT_STREQ(plugin.getPrograms()[plugin.getProgram()].tuningMapPath, map.c_str());
    EXPECT_EQ(plugin.getCurrentCombs()[40].Delay, delay);

    editor->showCombParameter(4);  // the bars show the decay
    editor->idle();
    choose("Analyse Impulse (16 bit .WAV)");
    editor->idle();
    EXPECT_STREQ(editor->getCombDisplay()->getTitle(), "no file dialog: install zenity or kdialog");
    EXPECT_EQ(plugin.getCurrentCombs()[40].Decay, decay);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Tovarine: no file dialog: install zenity or kdialog\n");
}

TEST_F(EditorTest, AboutBoxOnlyFromTheHotspotsRightButtonMenu)
{
    FakeZenity zenity("echo \"$@\" > \"$(dirname \"$0\")/about.txt\"");
    const CPoint corner(5, 5);
    press(kLButton, corner);
    EXPECT_EQ(platform->popups, 0);
    choose("", corner);  // dismissed
    ASSERT_EQ(platform->lastPopup.size(), 1u);
    EXPECT_EQ(platform->lastPopup[0].text, "About Tovarine");
    EXPECT_FALSE(std::filesystem::exists(zenity.dir / "about.txt"));
    choose("About Tovarine", corner);
    std::string arguments;
    std::getline(std::ifstream(zenity.dir / "about.txt"), arguments);
    EXPECT_NE(arguments.find("--info --title=Tovarine"), std::string::npos) << arguments;
    EXPECT_NE(arguments.find(std::string("v") + TOVARINE_VERSION), std::string::npos) << arguments;
}

TEST_F(EditorTest, ClosedEditorIgnoresNotificationsAndOpenCloseUnderAutomationLeaksNothing)
{
    editor->close();
    const GuiDebugCounters before = guiDebugCounters();
    editor->setParameter(46, 2.f);  // closed: not even the selector reset happens
    editor->showCombParameter(5);
    editor->idle();
    EXPECT_FALSE(plugin.called(1, 0.f));

    std::atomic<bool> stop{false};
    std::thread automation([&] {
        // The notifications alone: the engine's own unlocked fields are not under test here.
        for (float v = 0.f; !stop.load(); v = v > 0.9f ? 0.f : v + 0.01f) {
            editor->setParameter(30, v);
            editor->setParameter(45, -1.f);
            editor->showCombParameter(4);
        }
    });
    for (int i = 0; i < 50; ++i) {
        open();
        editor->idle();
        editor->close();
    }
    stop.store(true);
    automation.join();
    EXPECT_EQ(guiDebugCounters().views, before.views);
    EXPECT_EQ(guiDebugCounters().offscreenContexts, before.offscreenContexts);
    EXPECT_EQ(guiDebugCounters().bitmaps, before.bitmaps);

    const auto png = std::filesystem::temp_directory_path() / ("tovarine-editor-" + std::to_string(getpid()) + ".png");
    EXPECT_TRUE(renderEditorToPng(&plugin, png.c_str()));
    EXPECT_GT(std::filesystem::file_size(png), 1000u);
    EXPECT_EQ(editor->getFrame(), nullptr);
    std::filesystem::remove(png);
}

}  // namespace
