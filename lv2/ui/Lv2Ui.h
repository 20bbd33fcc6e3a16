// One LV2 UI instance: the editor on the plug-in object of the DSP instance it
// belongs to (reached through instance-access), run on a thread of its own so that
// nothing the editor waits for (a file dialog, a message box, a drag) holds up the
// host's user interface thread.
//
// The host sees every parameter change the editor makes: the editor's automation
// calls arrive here through the plug-in's editor link and are written to the
// host's control ports from the host's thread at idle time, with touch
// notifications around drags where the host offers them. The host's port changes
// reach the editor through the plug-in, as its control ports reach the engine, and
// through port_event. Per-resonator edits act on the plug-in object as in VST 2,
// so the state the host saves holds them.
//
// The files the engine's commands want (a tuning map, an impulse response) are
// asked of the host, from its thread at idle time, where it offers ui:requestValue;
// a host that refuses or offers none leaves it to the editor's dialog, on the
// editor's thread, whose choice the UI writes to the event input at idle. Either
// way the file reaches the DSP as a patch:Set of its file parameter, loaded by the
// host's worker.
#pragma once

#include "host/EditorLink.h"
#include "lv2/ui/HostEdits.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class ResonatorPlugin;
class UiEditor;

class Lv2Ui final : public EditorLink {
public:
    // Null without instance-access, for another plug-in, when the plug-in already has an
    // editor, or when the editor's window cannot be made.
    static Lv2Ui* create(const char* pluginUri, LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features);
    ~Lv2Ui();
    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    // --- the host's user interface thread ---
    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // Hands the editor's changes to the host; non-zero once the user closed a window of our own.
    int idle();
    int show();
    int hide();

    // --- EditorLink, any thread ---
    void parameterChanged(int32_t index, float value) override;
    void showCombParameter(int32_t type) override;
    bool idleWhileWaiting() override;
    void tellUser(const char* message) override;
    bool hostChoosesFile(FileChoice which) override;
    bool hostLoadsFile(FileChoice which, const std::string& path) override;
    void automated(int32_t index, float value) override;
    void editBegun(int32_t index) override;
    void editEnded(int32_t index) override;

private:
    Lv2Ui(ResonatorPlugin& plugin, LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch,
          const LV2UI_Request_Value* requestValue, const LV2_URID_Map* map);

    // Starts the editor's thread on `parent` (none: a window of our own) and waits until its
    // window exists. The editor's window, or 0 when it could not be made.
    unsigned long startEditor(unsigned long parent);
    void stopEditor();
    static void destroyWindow(unsigned long window);
    void runEditor(unsigned long parent);
    bool onEditorThread() const;
    std::optional<std::string> takeMessage();
    // The host's thread: the requests hostChoosesFile promised.
    void requestFiles();
    // The editor's thread: the dialogs for requests the host refused.
    void showRefusedRequests();
    // The host's thread: the files the dialogs chose, to the DSP as patch:Set.
    void sendChosenFiles();

    ResonatorPlugin& plugin;
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Touch* touch;
    HostEdits edits;

    static constexpr int kFileChoices = 2;  // FileChoice::TuningMap, FileChoice::ImpulseResponse
    const LV2UI_Request_Value* requestValue = nullptr;  // null: the editor's dialogs ask
    LV2_URID fileParameters[kFileChoices] = {};
    LV2_URID pathType = 0;
    const LV2_URID_Map* map = nullptr;
    LV2_URID eventTransfer = 0;  // 0: without a URID map the editor's thread loads chosen files
    std::mutex chosenMutex;      // the editor's and the host's threads
    std::optional<std::string> chosenFiles[kFileChoices];
    std::atomic<bool> requestWanted[kFileChoices] = {};
    std::atomic<bool> dialogWanted[kFileChoices] = {};
    bool showingDialogInstead = false;  // editor's thread only

    std::thread editorThread;
    std::atomic<std::thread::id> editorThreadId{};
    std::atomic<UiEditor*> editor{nullptr};  // exists while the editor's thread runs
    std::atomic<bool> stopping{false};
    std::atomic<bool> ownWindowClosed{false};

    std::mutex startMutex;  // the editor's thread starting and ending
    std::condition_variable started;
    bool startDone = false;
    bool editorDone = false;
    unsigned long editorWindow = 0;

    std::mutex messageMutex;  // messages from other threads, shown by the editor's thread
    std::optional<std::string> pendingMessage;
};
