// The UI binary loaded beside its DSP binary under a private Xvfb: the VST 2 editor's
// pixels, port writes inside touch from a real drag, host ports on the knobs, strokes
// in the state, open/close cycles, dialogs that neither block the host nor outlive the UI.
#include <gtest/gtest.h>

#include "tests/lv2/Lv2TestHost.h"  // before Xlib, which defines Bool

#include "../gui/XvfbSession.h"
#include "editor/EditorSnapshot.h"
#include "lv2/Lv2Ids.h"
#include "lv2/Lv2Plugin.h"

#include <cairo.h>
#include <dlfcn.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <mutex>
#include <optional>
#include <thread>

namespace {
using namespace std::chrono_literals;
const std::string kBundle = TOVARINE_BINARY_DIR "/Tovarine.lv2/";
// The stand-in dialogs' folder leads PATH from before any thread reads it; one per
// process, since ctest runs the tests side by side and each records its dialog's pid.
const std::string kStandIns = testing::TempDir() + "standin-" + std::to_string(getpid()) + "/";
[[maybe_unused]] const bool kStandInsOnPath = setenv("PATH", (kStandIns + ":" + getenv("PATH")).c_str(), 1) == 0;

// A stand-in zenity records its pid, waits as long as the test says, then answers a tuning map.
const std::string kPidFile = kStandIns + "pid";
[[maybe_unused]] const bool kStandInZenity = [] {
    std::filesystem::create_directories(kStandIns);
    std::ofstream(kStandIns + "zenity") << "#!/bin/sh\necho $$ > " << kPidFile << "\ntrap 'kill $!; exit 1' TERM\nsleep \"$(cat "
                                        << kStandIns << "delay)\" & wait $!\necho " TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v1.tun\n";
    std::filesystem::permissions(kStandIns + "zenity", std::filesystem::perms::owner_all);
    return true;
}();

auto countEntries = [](const char* dir) { return std::distance(std::filesystem::directory_iterator(dir), {}); };

// The project's test host for the DSP instance, the UI binary beside it, and the UI's calls.
struct Host {
    std::unique_ptr<lv2testhost::Instance> dsp = lv2testhost::Instance::create(256);
    const LV2UI_Descriptor* uiType = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(
        dlsym(dlopen((kBundle + "Tovarine_ui.so").c_str(), RTLD_NOW), "lv2ui_descriptor"))(0);
    float audio[2][256] = {};
    LV2UI_Handle ui = nullptr;
    Window window = 0;
    std::vector<std::string> calls;  // "touch P 1", "write P V", "touch P 0"
    LV2UI_Touch touch{this, [](LV2UI_Feature_Handle h, uint32_t port, bool grab) {
        static_cast<Host*>(h)->calls.push_back("touch " + std::to_string(port) + (grab ? " 1" : " 0"));
    }};
    // A stand-in ui:requestValue, offered when `requestAnswer` is set: the parameters asked for.
    std::optional<LV2UI_Request_Value_Status> requestAnswer;
    std::vector<std::string> requested;
    LV2UI_Request_Value requestValue{this, [](LV2UI_Feature_Handle h, LV2_URID key, LV2_URID type, const LV2_Feature* const*) {
        auto* host = static_cast<Host*>(h);
        host->requested.push_back(type == lv2testhost::uridMap.map(nullptr, LV2_ATOM__Path) ? lv2testhost::uridUnmap.unmap(nullptr, key) : "?");
        return *host->requestAnswer;
    }};
    std::mutex eventsMutex;  // the UI's atom writes, from the host's thread to the audio one
    std::vector<std::vector<uint8_t>> events;
    std::atomic<bool> audioOnItsThread{false};
    std::chrono::steady_clock::duration longestIdle{};

    ~Host() { closeUi(); }
    void run()
    {
        {
            const std::lock_guard lock(eventsMutex);
            for (const std::vector<uint8_t>& e : events)
                dsp->event(*reinterpret_cast<const LV2_Atom*>(e.data()));
            events.clear();
        }
        dsp->run(audio[0], audio[0], audio[1], audio[1], 256);
    }
    ResonatorPlugin& plugin() { return static_cast<Lv2Plugin*>(dsp->handle())->pluginObject(); }
    bool openUi(Window parent)
    {
        const LV2_Feature access{LV2_INSTANCE_ACCESS_URI, dsp->handle()}, parentFeature{LV2_UI__parent, (void*)parent},
            touchFeature{LV2_UI__touch, &touch}, map{LV2_URID__map, &lv2testhost::uridMap},
            request{LV2_UI__requestValue, &requestValue};
        const LV2_Feature* features[] = {&access, &parentFeature, &touchFeature, &map, requestAnswer ? &request : nullptr, nullptr};
        LV2UI_Widget widget = nullptr;
        ui = uiType->instantiate(uiType, TOVARINE_LV2_URI, kBundle.c_str(), [](LV2UI_Controller c, uint32_t port,
                uint32_t size, uint32_t format, const void* value) {
            auto* host = static_cast<Host*>(c);
            if (format == lv2testhost::uridMap.map(nullptr, LV2_ATOM__eventTransfer)) {
                host->calls.push_back("event " + std::to_string(port));
                const auto* bytes = static_cast<const uint8_t*>(value);
                const std::lock_guard lock(host->eventsMutex);
                return host->events.emplace_back(bytes, bytes + size), void();
            }
            host->dsp->parameters[port - 5] = *static_cast<const float*>(value);
            host->calls.push_back("write " + std::to_string(port) + " " + std::to_string(host->dsp->parameters[port - 5]));
        }, this, &widget, features);
        window = Window(reinterpret_cast<uintptr_t>(widget));
        return ui != nullptr;
    }
    void closeUi()
    {
        if (ui)
            uiType->cleanup(ui);
        ui = nullptr;
    }
    // The host's GUI loop: idle every 10 ms, and a block of audio unless a thread runs it.
    void pump(std::chrono::milliseconds time = 300ms)
    {
        auto idle = static_cast<const LV2UI_Idle_Interface*>(uiType->extension_data(LV2_UI__idleInterface));
        for (auto end = std::chrono::steady_clock::now() + time; std::chrono::steady_clock::now() < end;) {
            const auto before = std::chrono::steady_clock::now();
            if (ui)
                idle->idle(ui);
            longestIdle = std::max(longestIdle, std::chrono::steady_clock::now() - before);
            if (!audioOnItsThread)
                run();
            std::this_thread::sleep_for(10ms);
        }
    }
    std::vector<uint8_t> savedBank()
    {
        lv2testhost::Properties state = dsp->save();
        return state.at(lv2_ids::kBankKey).value;
    }
};

// The pixels of a window, or of the VST 2 editor drawn offscreen, as 0xRRGGBB.
std::vector<uint32_t> windowPixels(Display* display, Window window)
{
    std::vector<uint32_t> pixels;
    XSync(display, False);
    if (XImage* image = XGetImage(display, window, 0, 0, 640, 420, AllPlanes, ZPixmap)) {
        for (int y = 0; y < 420; ++y)
            for (int x = 0; x < 640; ++x)
                pixels.push_back(uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF);
        XDestroyImage(image);
    }
    return pixels;
}

std::vector<uint32_t> vst2Pixels(ResonatorPlugin& plugin)
{
    const std::string png = testing::TempDir() + "vst2-editor.png";
    EXPECT_TRUE(renderEditorToPng(&plugin, png.c_str()));
    cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
    std::vector<uint32_t> pixels;
    const auto* data = cairo_image_surface_get_data(image);
    for (int y = 0; data && y < cairo_image_surface_get_height(image); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(image); ++x)
            pixels.push_back(reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(image))[x] & 0xFFFFFF);
    cairo_surface_destroy(image);
    return pixels;
}

int differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    if (a.size() != b.size() || a.empty())
        return -1;
    return std::inner_product(a.begin(), a.end(), b.begin(), 0, std::plus<>(), std::not_equal_to<>());
}

const audioMasterCallback silentHost = [](AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) -> intptr_t {
    return opcode == audioMasterVersion ? 2400 : 0;
};

class Lv2Ui : public XvfbTest {
protected:
    void SetUp() override
    {
        XvfbTest::SetUp();
        if (IsSkipped())
            return;
        display = XOpenDisplay(nullptr);
        parent = createHostWindow(display, 640, 420);
        host = std::make_unique<Host>();
        ASSERT_TRUE(host->openUi(parent));
        host->pump();
    }
    void TearDown() override
    {
        host.reset();
        if (display)
            XCloseDisplay(display);
    }
    // "Load Tuning Map" from the editor's menu; the pid of the stand-in zenity it started, or 0.
    int chooseTuningMap(const char* delay)
    {
        std::ofstream(kStandIns + "delay") << delay << "\n";
        std::remove(kPidFile.c_str());
        std::thread user([] { xdotool("mousemove 300 200 click 3 sleep 0.5 mousemove 340 211 click 1"); });
        host->pump(1500ms);
        user.join();
        int pid = 0;
        std::ifstream(kPidFile) >> pid;
        return pid;
    }
    void drag(const std::string& from, const std::string& to)
    {
        std::thread user([&] { xdotool("mousemove " + from + " mousedown 1 sleep 0.2 mousemove " + to + " sleep 0.2 mouseup 1"); });
        host->pump(800ms);
        user.join();
        host->pump(100ms);
    }
    Display* display = nullptr;
    Window parent = 0;
    std::unique_ptr<Host> host;
};

TEST_F(Lv2Ui, ShowsTheVst2EditorAndFollowsTheHostsPorts)
{
    ResonatorPlugin vst2(silentHost);
    EXPECT_EQ(differing(windowPixels(display, host->window), vst2Pixels(vst2)), 0);
    host->dsp->parameters[20] = 1.f;  // the host automates the feedback level
    host->pump();
    vst2.setParameter(20, 1.f);
    EXPECT_EQ(differing(windowPixels(display, host->window), vst2Pixels(vst2)), 0);
}

TEST_F(Lv2Ui, KnobDragWritesItsPortInsideTouchAndStrokesReachTheStateAndEveryReopenedUi)
{
    drag("121 392", "133 366");
    ASSERT_GE(host->calls.size(), 3u);
    EXPECT_EQ(host->calls.front(), "touch 25 1");
    EXPECT_EQ(host->calls[1].rfind("write 25 ", 0), 0u);
    EXPECT_EQ(host->calls.back(), "touch 25 0");
    EXPECT_NEAR(host->dsp->parameters[20], 0.5f, 0.1f);
    EXPECT_EQ(host->plugin().getParameter(20), host->dsp->parameters[20]);

    const std::vector<uint8_t> before = host->savedBank();
    drag("84 175", "294 275");
    const std::vector<uint8_t> after = host->savedBank();
    EXPECT_NE(after, before);
    // Twenty reopenings and closes in mid-drag or mid-menu leave no thread or connection
    // (a window goes with its X connection); the last shows what the DSP holds.
    const std::vector<uint32_t> shown = windowPixels(display, host->window);
    host->closeUi();
    const auto descriptors = countEntries("/proc/self/fd"), threads = countEntries("/proc/self/task");
    for (int i = 0; i < 20; ++i) {
        host->closeUi();
        ASSERT_TRUE(host->openUi(parent));
        host->pump(30ms);
    }
    host->pump();
    EXPECT_EQ(differing(windowPixels(display, host->window), shown), 0);
    {  // the saved state restored into a new instance: the same bank, and its editor the same pixels
        Host restored;
        EXPECT_EQ(restored.dsp->restore(host->dsp->save()), LV2_STATE_SUCCESS);
        restored.pump(50ms);
        EXPECT_EQ(restored.savedBank(), after);
        ASSERT_TRUE(restored.openUi(parent));
        restored.pump();
        EXPECT_EQ(differing(windowPixels(display, restored.window), shown), 0);
    }
    for (const char* press : {"mousemove 121 392 mousedown 1", "mousemove 300 200 click 3"}) {
        std::thread user([press] { xdotool(press); });  // closed in mid-drag, then with the menu open
        host->pump(), user.join(), host->closeUi();
        xdotool("mouseup 1");
        ASSERT_TRUE(host->openUi(parent));
    }
    host->closeUi();
    EXPECT_EQ(countEntries("/proc/self/fd"), descriptors);
    EXPECT_EQ(countEntries("/proc/self/task"), threads);
}

TEST_F(Lv2Ui, WithoutAParentWindowShowOpensOneOfItsOwn)
{
    host->closeUi();
    const auto* show = static_cast<const LV2UI_Show_Interface*>(host->uiType->extension_data(LV2_UI__showInterface));
    const auto shown = [] { return std::system("xdotool search --onlyvisible --name '^Tovarine 88 Resonator$' >/dev/null") == 0; };
    ASSERT_TRUE(host->openUi(0));  // a null parent is no parent
    EXPECT_EQ(host->window, 0u);
    EXPECT_FALSE(shown());
    EXPECT_EQ(show->show(host->ui), 0);
    host->pump();
    EXPECT_TRUE(shown());
    EXPECT_EQ(show->hide(host->ui), 0);
    EXPECT_FALSE(shown());
}

TEST_F(Lv2Ui, TuningDialogNeverBlocksTheHostAndEndsWithTheUi)
{
    host->audioOnItsThread = true;
    std::thread audio([this] {
        while (host->audioOnItsThread)
            host->run(), std::this_thread::sleep_for(2ms);
    });
    const int answered = chooseTuningMap("0");
    host->pump(500ms);
    char name[64] = "";
    host->plugin().readTuningName(name, sizeof(name));
    EXPECT_GT(answered, 0);
    EXPECT_NE(std::string(name).find("19"), std::string::npos) << name;
    EXPECT_EQ(std::count(host->calls.begin(), host->calls.end(), "event 4"), 1);  // loaded by the DSP's worker

    const int waiting = chooseTuningMap("60");
    ASSERT_GT(waiting, 0);
    const auto start = std::chrono::steady_clock::now();
    host->closeUi();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_LT(host->longestIdle, 20ms);  // the host's thread never waited for a dialog
    EXPECT_NE(kill(waiting, 0), 0);  // ended and collected
    host->audioOnItsThread = false;
    audio.join();
}

// "Load Tuning Map" asks a host that offers ui:requestValue for the file, once, from the
// host's thread, and starts no dialog; a host that refuses leaves it to the dialog.
TEST_F(Lv2Ui, TuningMapIsAskedOfTheHostWhereItCanElseOfTheDialog)
{
    for (auto answer : {LV2UI_REQUEST_VALUE_SUCCESS, LV2UI_REQUEST_VALUE_ERR_UNSUPPORTED}) {
        host->closeUi();
        host->requestAnswer = answer;
        host->requested.clear();
        ASSERT_TRUE(host->openUi(parent));
        host->pump();
        EXPECT_EQ(chooseTuningMap("0") != 0, answer != LV2UI_REQUEST_VALUE_SUCCESS) << "dialog, " << answer;
        EXPECT_EQ(host->requested, std::vector<std::string>{lv2_ids::kTuningFileParameter}) << answer;
    }
}

}  // namespace

// For scripts/lv2-ui-check.sh: the UI window a real host shows (TOVARINE_UI_WINDOW on
// DISPLAY) equals the VST 2 editor or the pixels saved earlier (TOVARINE_UI_EXPECT),
// or is kept (TOVARINE_UI_SAVE).
TEST(Lv2UiInHost, WindowShowsWhatIsExpected)
{
    const char* id = getenv("TOVARINE_UI_WINDOW");
    Display* display = id ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        GTEST_SKIP() << "run by scripts/lv2-ui-check.sh";
    std::vector<uint32_t> shown = windowPixels(display, Window(std::stoul(id, nullptr, 0))), expected(shown.size());
    XCloseDisplay(display);
    const auto bytes = std::streamsize(shown.size() * 4);
    if (const char* save = getenv("TOVARINE_UI_SAVE"))
        return std::ofstream(save, std::ios::binary).write(reinterpret_cast<const char*>(shown.data()), bytes), void();
    if (const char* file = getenv("TOVARINE_UI_EXPECT"))
        std::ifstream(file, std::ios::binary).read(reinterpret_cast<char*>(expected.data()), bytes);
    else
        expected = vst2Pixels(*std::make_unique<ResonatorPlugin>(silentHost));
    EXPECT_EQ(differing(shown, expected), 0);
}
