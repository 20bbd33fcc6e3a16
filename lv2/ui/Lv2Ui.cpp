#include "lv2/ui/Lv2Ui.h"

#include "gui/CFrame.h"
#include "host/ResonatorPlugin.h"
#include "lv2/Features.h"
#include "lv2/Lv2Ids.h"
#include "lv2/Lv2Plugin.h"
#include "lv2/ui/OwnWindow.h"
#include "lv2/ui/PatchSetMessage.h"
#include "lv2/ui/UiEditor.h"
#include "platform/ChildEnvironment.h"

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstring>

namespace {

constexpr auto kEditorTick = std::chrono::milliseconds(10);
constexpr auto kWindowWait = std::chrono::seconds(10);
// How long a closing editor may take before its window is taken from it.
constexpr auto kCloseWait = std::chrono::milliseconds(300);

bool isParameter(int32_t index)
{
    return index >= 0 && index < kNumParams;
}

}  // namespace

Lv2Ui* Lv2Ui::create(const char* pluginUri, LV2UI_Write_Function write, LV2UI_Controller controller,
                     LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    if (!pluginUri || std::strcmp(pluginUri, lv2_ids::kPluginUri) != 0 || !write || !widget)
        return nullptr;
    auto* instance = const_cast<Lv2Plugin*>(featureData<Lv2Plugin>(features, LV2_INSTANCE_ACCESS_URI));
    if (!instance || instance->pluginObject().hasEditorLink())
        return nullptr;
    std::unique_ptr<Lv2Ui> ui;
    try {
        ui.reset(new Lv2Ui(instance->pluginObject(), write, controller,
                           featureData<LV2UI_Touch>(features, LV2_UI__touch),
                           featureData<LV2UI_Request_Value>(features, LV2_UI__requestValue),
                           featureData<LV2_URID_Map>(features, LV2_URID__map)));
    } catch (...) {
        return nullptr;
    }
    *widget = nullptr;
    // Without a parent the window appears when the host calls show.
    if (const void* parent = featureData<void>(features, LV2_UI__parent)) {
        const unsigned long window = ui->startEditor(reinterpret_cast<unsigned long>(parent));
        if (!window)
            return nullptr;
        *widget = reinterpret_cast<LV2UI_Widget>(window);
    }
    if (const auto* resize = featureData<LV2UI_Resize>(features, LV2_UI__resize))
        resize->ui_resize(resize->handle, ResonatorEditor::kWidth, ResonatorEditor::kHeight);
    return ui.release();
}

Lv2Ui::Lv2Ui(ResonatorPlugin& plugin_, LV2UI_Write_Function write_, LV2UI_Controller controller_,
             const LV2UI_Touch* touch_, const LV2UI_Request_Value* requestValue_, const LV2_URID_Map* map_)
    : plugin(plugin_), write(write_), controller(controller_), touch(touch_), map(map_)
{
    // Requests and messages name the parameters by URID.
    if (!map)
        return;
    fileParameters[int(FileChoice::TuningMap)] = map->map(map->handle, lv2_ids::kTuningFileParameter);
    fileParameters[int(FileChoice::ImpulseResponse)] = map->map(map->handle, lv2_ids::kImpulseFileParameter);
    pathType = map->map(map->handle, LV2_ATOM__Path);
    eventTransfer = map->map(map->handle, LV2_ATOM__eventTransfer);
    if (requestValue_ && requestValue_->request)
        requestValue = requestValue_;
}

Lv2Ui::~Lv2Ui()
{
    stopEditor();
}

unsigned long Lv2Ui::startEditor(unsigned long parent)
{
    if (editorThread.joinable())
        return editorWindow;
    stopping.store(false);
    ownWindowClosed.store(false);
    {
        const std::lock_guard lock(startMutex);
        startDone = false;
        editorDone = false;
        editorWindow = 0;
    }
    editorThread = std::thread([this, parent] { runEditor(parent); });
    std::unique_lock lock(startMutex);
    started.wait_for(lock, kWindowWait, [this] { return startDone; });
    const unsigned long window = editorWindow;
    lock.unlock();
    if (!window)
        stopEditor();
    return window;
}

void Lv2Ui::stopEditor()
{
    if (!editorThread.joinable())
        return;
    // Also ends a dialog or message box the editor waits for.
    stopping.store(true);
    std::unique_lock lock(startMutex);
    const bool done = started.wait_for(lock, kCloseWait, [this] { return editorDone; });
    const unsigned long window = editorWindow;
    lock.unlock();
    // A popup menu or a drag keeps the editor's thread in a loop of its own until the
    // user lets go or the window goes: the window goes.
    if (!done && window)
        destroyWindow(window);
    editorThread.join();
}

void Lv2Ui::destroyWindow(unsigned long window)
{
    if (Display* display = XOpenDisplay(nullptr)) {
        XDestroyWindow(display, Window(window));
        XCloseDisplay(display);
    }
}

void Lv2Ui::runEditor(unsigned long parent)
{
    editorThreadId.store(std::this_thread::get_id());
    child_process::abandonWaitsWhen([this] { return stopping.load(); });
    std::unique_ptr<OwnWindow> own;
    if (!parent) {
        own = OwnWindow::create(ResonatorEditor::kWidth, ResonatorEditor::kHeight, "Tovarine 88 Resonator");
        parent = own ? own->window() : 0;
    }
    std::unique_lock framework(UiEditor::frameworkLock());
    std::unique_ptr<UiEditor> made;
    unsigned long window = 0;
    if (parent) {
        made = std::make_unique<UiEditor>(&plugin);
        editor = made.get();
        plugin.setEditorLink(this);
        made->open(reinterpret_cast<void*>(parent));
        CFrame* frame = made->getFrame();
        if (frame && frame->getPlatformFrame())
            window = reinterpret_cast<unsigned long>(frame->getPlatformFrame()->getSystemWindow());
    }
    {
        const std::lock_guard lock(startMutex);
        editorWindow = window;
        startDone = true;
    }
    started.notify_all();

    while (window && !stopping.load()) {
        if (std::optional<std::string> message = takeMessage())
            made->tellUser(message->c_str());
        showRefusedRequests();
        made->idle();
        if (own && own->closeRequested())
            ownWindowClosed.store(true);
        framework.unlock();
        std::this_thread::sleep_for(kEditorTick);
        framework.lock();
    }

    if (made) {
        made->close();
        plugin.setEditorLink(nullptr);  // returns once no notification reaches the editor any more
        plugin.setEditor(nullptr);      // the plug-in object must not delete our editor
        editor = nullptr;
        made.reset();
    }
    framework.unlock();
    own.reset();
    child_process::abandonWaitsWhen({});
    editorThreadId.store(std::thread::id());
    {
        const std::lock_guard lock(startMutex);
        editorDone = true;
    }
    started.notify_all();
}

bool Lv2Ui::onEditorThread() const
{
    return editorThreadId.load() == std::this_thread::get_id();
}

std::optional<std::string> Lv2Ui::takeMessage()
{
    const std::lock_guard lock(messageMutex);
    std::optional<std::string> message;
    message.swap(pendingMessage);
    return message;
}

void Lv2Ui::requestFiles()
{
    for (int k = 0; k < kFileChoices; ++k)
        if (requestWanted[k].exchange(false)
            && requestValue->request(requestValue->handle, fileParameters[k], pathType, nullptr)
                   != LV2UI_REQUEST_VALUE_SUCCESS)
            dialogWanted[k].store(true);
}

void Lv2Ui::showRefusedRequests()
{
    for (int k = 0; k < kFileChoices; ++k) {
        if (!dialogWanted[k].exchange(false))
            continue;
        // The command again, which this time finds hostChoosesFile false.
        showingDialogInstead = true;
        if (k == int(FileChoice::TuningMap))
            plugin.loadTuning(true);
        else
            plugin.analyseImpulse();
        showingDialogInstead = false;
    }
}

void Lv2Ui::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    const int32_t index = int32_t(port) - lv2_ids::kFirstParameterPort;
    UiEditor* e = editor.load();
    if (format != 0 || size != sizeof(float) || !buffer || !isParameter(index) || !e)
        return;
    // The knob shows the plug-in's value: the port reaches the plug-in in its next block,
    // which tells the editor again.
    e->setParameter(index, 0.f);
}

void Lv2Ui::sendChosenFiles()
{
    for (int k = 0; k < kFileChoices; ++k) {
        std::optional<std::string> path;
        {
            const std::lock_guard lock(chosenMutex);
            path.swap(chosenFiles[k]);
        }
        if (!path)
            continue;
        const std::vector<uint8_t> message = patchSetMessage(*map, fileParameters[k], *path);
        if (!message.empty())
            write(controller, uint32_t(lv2_ids::kEventsPort), uint32_t(message.size()), eventTransfer, message.data());
    }
}

int Lv2Ui::idle()
{
    if (requestValue)
        requestFiles();
    if (eventTransfer)
        sendChosenFiles();
    for (const HostEdits::Edit& e : edits.take()) {
        const uint32_t port = uint32_t(lv2_ids::kFirstParameterPort + e.parameter);
        switch (e.kind) {
        case HostEdits::Edit::kBegin:
            if (touch)
                touch->touch(touch->handle, port, true);
            break;
        case HostEdits::Edit::kValue:
            write(controller, port, sizeof(float), 0, &e.value);
            break;
        case HostEdits::Edit::kEnd:
            if (touch)
                touch->touch(touch->handle, port, false);
            break;
        }
    }
    return ownWindowClosed.load() ? 1 : 0;
}

int Lv2Ui::show()
{
    return startEditor(0) ? 0 : 1;
}

int Lv2Ui::hide()
{
    stopEditor();
    return 0;
}

// --- EditorLink ---

void Lv2Ui::parameterChanged(int32_t index, float value)
{
    if (UiEditor* e = editor.load())
        e->setParameter(index, value);
    // Synchronising shows the pitches: the setting strip moved without its control.
    if (index == ResonatorEditor::kSyncTag && onEditorThread())
        automated(1, 0.f);
}

void Lv2Ui::showCombParameter(int32_t type)
{
    if (UiEditor* e = editor.load())
        e->showCombParameter(type);
}

bool Lv2Ui::idleWhileWaiting()
{
    UiEditor* e = editor.load();
    if (!e || !onEditorThread())
        return false;
    e->idleWhileWaiting();
    return stopping.load();
}

void Lv2Ui::tellUser(const char* message)
{
    UiEditor* e = editor.load();
    if (!message || !e)
        return;
    if (onEditorThread()) {
        e->tellUser(message);
        return;
    }
    // Never a message box on the host's thread: the editor's thread shows it.
    try {
        const std::lock_guard lock(messageMutex);
        pendingMessage = message;
    } catch (...) {
    }
}

bool Lv2Ui::hostChoosesFile(FileChoice which)
{
    if (!requestValue || (onEditorThread() && showingDialogInstead))
        return false;
    requestWanted[int(which)].store(true);
    return true;
}

// The DSP's worker loads the file, as it loads one the host's own chooser sets.
bool Lv2Ui::hostLoadsFile(FileChoice which, const std::string& path)
{
    if (!eventTransfer)
        return false;
    try {
        const std::lock_guard lock(chosenMutex);
        chosenFiles[int(which)] = path;
    } catch (...) {
        return false;
    }
    return true;
}

void Lv2Ui::automated(int32_t index, float value)
{
    if (isParameter(index))
        edits.add({HostEdits::Edit::kValue, index, value});
}

void Lv2Ui::editBegun(int32_t index)
{
    if (isParameter(index))
        edits.add({HostEdits::Edit::kBegin, index, 0.f});
}

void Lv2Ui::editEnded(int32_t index)
{
    if (isParameter(index))
        edits.add({HostEdits::Edit::kEnd, index, 0.f});
}
