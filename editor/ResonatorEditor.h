// The plug-in's editor: a fixed 640 x 420 window painted from the skin, with the
// resonator type selector, the bar display and its command menu, the envelope
// strip, the feedback delay label and twelve knobs. It changes the plug-in only
// through the plug-in's own operations, and follows the plug-in through the
// setParameter notifications.
//
// Threads: open, close, idle and the controls' callbacks run on the host's user
// interface thread. The notifications (setParameter, showCombParameter) may come
// from any thread, also the audio thread, and whether or not a window is open: they
// only record what changed in atomic flags, and the next idle call brings the
// views up to date. They never touch a view, so they cannot race with close.
#pragma once

#include "gui/AEffGUIEditor.h"
#include "gui/CControlListener.h"
#include "gui/PlatformFrame.h"
#include "programs/ProgramRecord.h"

#include <atomic>
#include <climits>
#include <memory>
#include <string>

class CBitmap;
class CControl;
class COptionMenu;
class CombDisplay;
class CombTypeSelector;
class DelayInfoLabel;
class EnvelopeStrip;
class ResonatorPlugin;

class ResonatorEditor : public AEffGUIEditor, public CControlListener {
public:
    static constexpr int16_t kWidth = 640;
    static constexpr int16_t kHeight = 420;

    // Control tags besides the global parameter indices of the knobs.
    static constexpr int32_t kAboutTag = 0;
    static constexpr int32_t kSelectorTag = 1;
    static constexpr int32_t kModelingTag = 32;
    static constexpr int32_t kFeedbackDelayTag = 33;
    static constexpr int32_t kFilterTag = 34;
    static constexpr int32_t kDrawTag = 44;
    static constexpr int32_t kCommandTag = 45;
    static constexpr int32_t kSyncTag = 46;

    // Items of the bar display's menu; the index is the value command 45 carries.
    enum CommandItem : int32_t {
        kLoadTuningItem = 0,
        kAnalyseImpulseItem = 1,
        kSyncSubmenuItem = 3,
        kModelingSubmenuItem = 4,
        kFeedbackDelaySubmenuItem = 5,
        kFilterSubmenuItem = 6,
        kNudgeFirstItem = 8,  // "+ 10%" .. "- 10%" are 8 to 13
        kResetItem = 14,
    };

    explicit ResonatorEditor(ResonatorPlugin* plugin);
    ~ResonatorEditor() override;

    // Builds the window inside the host's window (an X11 window id); with a null
    // parent the editor exists without a window and can still draw offscreen.
    intptr_t open(void* parentWindow) override;
    // The same on a window supplied by the caller (tests script the pointer with it).
    intptr_t openWithPlatform(std::unique_ptr<PlatformFrame> platform);
    void close() override;
    void idle() override;

    // Notifications from the plug-in, from any thread; ignored while closed.
    void setParameter(int32_t index, float value) override;
    // Reloads the bars with the per-resonator setting `type` (3..17; -1 keeps the shown type).
    virtual void showCombParameter(int32_t type);

    void valueChanged(CDrawContext* context, CControl* control) override;

    // Keeps the window painted while the plug-in waits for a dialog to close.
    virtual void idleWhileWaiting();
    // A message box over the open editor (nothing while it is closed).
    void tellUser(const char* message);
    // Brings every view up to date with the plug-in now (user interface thread).
    void refreshViews();

    bool isOpen() const { return windowOpen.load(std::memory_order_acquire); }
    CombDisplay* getCombDisplay() const { return combDisplay; }
    CombTypeSelector* getTypeSelector() const { return typeSelector; }
    EnvelopeStrip* getEnvelopeStrip() const { return envelopeStrip; }
    DelayInfoLabel* getDelayLabel() const { return delayLabel; }
    COptionMenu* getAboutMenu() const { return aboutMenu; }
    // The submenu of tag 32, 33, 34 or 46, or null.
    COptionMenu* getSubmenu(int32_t tag) const;
    // The knob of a global parameter index, or null.
    CControl* getControl(int32_t index) const;

protected:
    // The setting strip and the three mode menus change their parameters without telling
    // the host here; an editor whose host owns every parameter announces them too.
    virtual void setUnannouncedParameter(int32_t index, float value);

private:
    // "Nothing pending" for the display reload request.
    static constexpr int32_t kNoReload = INT_MIN;

    ResonatorPlugin* plugin() const;
    std::string tuningName() const;  // the tuning map's name, read under the plug-in's control lock
    intptr_t build();
    void buildSubmenus();
    void buildCommandMenu();
    void addKnobs(CBitmap* knobBackground, CBitmap* knobHandle);
    void applyPendingUpdates();
    void applyParameter(int32_t index);
    void loadDisplay(int32_t type);
    void setDisplayTitle(int32_t type);
    void refreshTuningTexts();
    void refreshLiveViews();
    void requestReload(int32_t type, bool override);

    CBitmap* background = nullptr;
    COptionMenu* aboutMenu = nullptr;
    COptionMenu* filterMenu = nullptr;
    COptionMenu* modelingMenu = nullptr;
    COptionMenu* feedbackDelayMenu = nullptr;
    COptionMenu* syncMenu = nullptr;
    CombDisplay* combDisplay = nullptr;
    CombTypeSelector* typeSelector = nullptr;
    EnvelopeStrip* envelopeStrip = nullptr;
    DelayInfoLabel* delayLabel = nullptr;
    CControl* controls[kNumParams] = {};

    std::atomic<bool> windowOpen{false};
    std::atomic<uint64_t> pendingParameters{0};  // bit i: parameter i changed
    std::atomic<int32_t> pendingReload{kNoReload};
    std::atomic<bool> pendingTuningTexts{false};
};
