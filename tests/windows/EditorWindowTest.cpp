// The built DLL's editor in a window this test makes, driven the way a user drives it
// (real mouse and key input under Wine): its pixels equal the Linux editor's, the
// selector, a knob and the command menu reach the plug-in, the frame's drop target
// delivers files, and opening and closing leaks no window-system objects.
#include "DropData.h"
#include "WindowCapture.h"
#include "gui/InputState.h"
#include "platform/win32/ShellLink.h"
#include "platform/win32/Win32Frame.h"
#include "tests/editor/EditorPixelProbes.h"
#include "tests/testhost/TestHost.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using testhost::PluginInstance;

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugin = PluginInstance::load();
        ASSERT_TRUE(plugin);
        plugin->prepare(44100.f, 512);
        parent = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "Host", WS_POPUP | WS_VISIBLE, 0, 0, 640, 420, nullptr, nullptr,
            GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        SetForegroundWindow(parent);
        open();
    }
    void TearDown() override
    {
        if (editor)
            plugin->dispatch(effEditClose);
        if (parent)
            DestroyWindow(parent);
    }

    void open()
    {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parent), 1);
        editor = GetWindow(parent, GW_CHILD);
        ASSERT_NE(editor, nullptr);
        pump(400);
    }
    void close()
    {
        plugin->dispatch(effEditClose);
        editor = nullptr;
    }

    // Runs the thread's messages and (unless told not to) the editor's idle, as a host's
    // user-interface loop does. Wine shows what was drawn while messages are read.
    void pump(int milliseconds, bool idle = true)
    {
        const DWORD end = GetTickCount() + DWORD(milliseconds);
        do {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            if (idle)
                plugin->dispatch(effEditIdle);
            Sleep(10);
        } while (GetTickCount() < end);
    }

    POINT onScreen(int x, int y) const
    {
        POINT point{x, y};
        ClientToScreen(editor, &point);
        return point;
    }
    // What the screen shows at a point of the editor, 0x00RRGGBB.
    uint32_t pixel(int x, int y) const
    {
        const POINT point = onScreen(x, y);
        HDC screen = GetDC(nullptr);
        const COLORREF colour = GetPixel(screen, point.x, point.y);
        ReleaseDC(nullptr, screen);
        return (uint32_t(GetRValue(colour)) << 16) | (uint32_t(GetGValue(colour)) << 8) | GetBValue(colour);
    }

    static void button(DWORD flags)
    {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof input);
    }
    void moveTo(int x, int y) const
    {
        const POINT point = onScreen(x, y);
        SetCursorPos(point.x, point.y);
    }
    // A right click at the cursor; returns once the popup menu it opens is shown.
    static void rightClickAndAwaitMenu()
    {
        button(MOUSEEVENTF_RIGHTDOWN);
        button(MOUSEEVENTF_RIGHTUP);
        for (int wait = 0; wait < 100 && !FindWindowA("#32768", nullptr); ++wait)
            Sleep(30);
        Sleep(200);
    }
    static void key(BYTE virtualKey)
    {
        keybd_event(virtualKey, 0, 0, 0);
        keybd_event(virtualKey, 0, KEYEVENTF_KEYUP, 0);
        Sleep(60);
    }
    // Runs the gesture on another thread while this one pumps: the views track the mouse
    // and menus inside the window procedure, on this thread.
    template <class Gesture>
    void perform(Gesture gesture, int milliseconds)
    {
        std::atomic<bool> done{false};
        std::thread user([&] {
            gesture();
            done = true;
        });
        const DWORD end = GetTickCount() + DWORD(milliseconds);
        while (!done && GetTickCount() < end)
            pump(20);
        user.join();
        pump(200);
    }
    int indexOf(int32_t opcode, int32_t index, size_t from = 0) const
    {
        for (size_t i = from; i < plugin->callbacks.size(); ++i)
            if (plugin->callbacks[i].opcode == opcode && plugin->callbacks[i].index == index)
                return int(i);
        return -1;
    }

    std::unique_ptr<PluginInstance> plugin;
    HWND parent = nullptr;
    HWND editor = nullptr;
};

TEST_F(EditorWindow, PaintsTheSelectorAndBarsAsTheLinuxEditorDoes)
{
    int mismatches = 0;
    editor_probes::forEachProbe([&](int x, int y, uint32_t expected) {
        if (pixel(x, y) != expected && ++mismatches <= 5)
            ADD_FAILURE() << x << "," << y << ": " << std::hex << pixel(x, y) << " instead of " << expected;
    });
    EXPECT_EQ(mismatches, 0);
}

// The README's picture: program 1 with a chord ringing, as under the Linux screenshot.
TEST_F(EditorWindow, SavesAPictureWithAChordRinging)
{
    plugin->dispatch(effSetProgram, 0, 1);
    std::vector<VstMidiEvent> chord;
    for (uint8_t note : {48, 55, 60, 64, 67, 72})
        chord.push_back(makeMidiEvent(0x90, note, 110));
    plugin->sendMidi(chord);
    std::vector<float> left(4096, 0.f), right(4096, 0.f);
    plugin->processReplacing(left, right, 256);
    pump(500);
    EXPECT_TRUE(saveWindowAsPng(editor, L"editor-wine.png"));
}

TEST_F(EditorWindow, ClickOnTheSelectorSetsParameterOne)
{
    moveTo(11 + 49 + 44 + 33 + 36 + 8, 100);  // the middle of segment 4 ("A")
    button(MOUSEEVENTF_LEFTDOWN);
    button(MOUSEEVENTF_LEFTUP);
    pump(300);
    EXPECT_FLOAT_EQ(plugin->getParameter(1), 4.f / 14.f);
    EXPECT_EQ(pixel(11 + 49 + 44 + 33 + 36 + 8, editor_probes::kSelectorFillRow), editor_probes::colourOf('Y'));
}

TEST_F(EditorWindow, KnobDragAutomatesBetweenBeginAndEndEdit)
{
    const float before = plugin->getParameter(20);
    moveTo(133, 380);  // the centre of the knob of parameter 20
    perform([&] {
        button(MOUSEEVENTF_LEFTDOWN);
        Sleep(250);
        for (int step = 1; step <= 5; ++step) {
            moveTo(133 + 3 * step, 380 - 6 * step);
            Sleep(120);
        }
        button(MOUSEEVENTF_LEFTUP);
    }, 5000);
    const int begin = indexOf(audioMasterBeginEdit, 20);
    ASSERT_GE(begin, 0);
    const int automate = indexOf(audioMasterAutomate, 20, size_t(begin));
    ASSERT_GT(automate, begin);
    EXPECT_GT(indexOf(audioMasterEndEdit, 20, size_t(automate)), automate);
    EXPECT_NE(plugin->getParameter(20), before);
}

TEST_F(EditorWindow, RightClickMenuChoosesTensionModelB)
{
    moveTo(300, 200);
    perform([&] {
        rightClickAndAwaitMenu();
        // Load, Analyse, (separator), Sync combs, Tension modeling; into it: No modeling, Model A, Model B.
        for (BYTE k : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN})
            key(k);
    }, 8000);
    EXPECT_EQ(plugin->getParameter(32), 0.2f);  // "Model B", read back as stored
}

// The label under a drop takes the dropped path (until the next idle call refreshes it
// from the plug-in): a paint before that shows it.
TEST_F(EditorWindow, FileDroppedThroughTheFramesDropTargetReachesTheView)
{
    auto* target = static_cast<IDropTarget*>(GetPropA(editor, "OleDropTargetInterface"));
    ASSERT_NE(target, nullptr) << "the frame registered no drop target";
    auto inkOnTheLabelsLeftEdge = [&] {
        int ink = 0;
        for (int y = 377; y < 388; ++y)
            for (int x = 48; x < 56; ++x)
                ink += pixel(x, y) != editor_probes::colourOf('Y');
        return ink;
    };
    EXPECT_EQ(inkOnTheLabelsLeftEdge(), 0);  // "(--)" is short and centred

    IDataObject* data = DropData::file("C:\\windows\\a-rather-long-impulse-name.wav");
    const POINT where = onScreen(60, 382);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(data, MK_LBUTTON, POINTL{where.x, where.y}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(data, MK_LBUTTON, POINTL{where.x, where.y}, &effect), S_OK);
    data->Release();
    const RECT label{47, 375, 97, 389};
    InvalidateRect(editor, &label, FALSE);
    UpdateWindow(editor);
    pump(300, false);
    EXPECT_GT(inkOnTheLabelsLeftEdge(), 0);
}

TEST_F(EditorWindow, AboutBoxOpensFromTheHotspotsMenuAndClosesWithOk)
{
    moveTo(60, 40);
    bool shown = false;
    perform([&] {
        rightClickAndAwaitMenu();
        key(VK_DOWN);
        key(VK_RETURN);
        HWND box = nullptr;
        for (int wait = 0; wait < 100 && !(box = FindWindowA(nullptr, "Tovarine")); ++wait)
            Sleep(30);
        shown = box != nullptr;
        if (box)
            PostMessageA(box, WM_COMMAND, IDOK, 0);
    }, 8000);
    EXPECT_TRUE(shown);
    EXPECT_EQ(FindWindowA(nullptr, "Tovarine"), nullptr);
}

// For left-handed users who swapped the buttons, the physical right button is the left one.
TEST(ButtonState, SwappedButtonsExchangeLeftAndRight)
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);  // away from any window
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    SendInput(1, &input, sizeof input);
    Sleep(50);
    const int32_t normal = Win32Frame::currentButtonState(false);
    const int32_t swapped = Win32Frame::currentButtonState(true);
    input.mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(1, &input, sizeof input);
    EXPECT_EQ(normal & (kLButton | kRButton), kRButton);
    EXPECT_EQ(swapped & (kLButton | kRButton), kLButton);
}

// A dropped shortcut stands for its target, in the target's short form.
TEST(DroppedShortcut, ResolvesToItsTarget)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    char target[MAX_PATH], shortTarget[MAX_PATH], folder[MAX_PATH];
    GetModuleFileNameA(nullptr, target, MAX_PATH);
    GetShortPathNameA(target, shortTarget, MAX_PATH);
    GetTempPathA(MAX_PATH, folder);
    const std::string shortcut = std::string(folder) + "tovarine test.LNK";
    IShellLinkA* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
        reinterpret_cast<void**>(&link))));
    link->SetPath(target);
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide, MAX_PATH);
    EXPECT_TRUE(SUCCEEDED(file->Save(wide, TRUE)));
    file->Release();
    link->Release();

    EXPECT_TRUE(isShortcut(shortcut));
    EXPECT_FALSE(isShortcut(target));
    EXPECT_EQ(resolveShortcut(nullptr, shortcut, 1023), std::string(shortTarget));
    DeleteFileA(shortcut.c_str());
    const std::string missing = std::string(folder) + "gone.lnk";
    EXPECT_EQ(resolveShortcut(nullptr, missing, 1023), missing);  // unresolvable: kept as it is
    CoUninitialize();
}

TEST_F(EditorWindow, HundredOpenCloseCyclesLeakNoWindowSystemObjects)
{
    close();
    pump(100);
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    for (int cycle = 0; cycle < 100; ++cycle) {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, parent), 1);
        pump(cycle % 10 == 0 ? 50 : 0);
        plugin->dispatch(effEditClose);
    }
    pump(100);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
    // Wine answers 0 for both counts; Windows counts every GDI and USER object.
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), userBefore);
    // The module's window class goes with its last frame.
    char className[32];
    std::snprintf(className, sizeof className, "Plugin%08llx",
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetModuleHandleA("Tovarine.dll"))));
    WNDCLASSA windowClass;
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA("Tovarine.dll"), className, &windowClass));
    open();
}

}  // namespace
