#include "editor/ResonatorEditor.h"

#include "editor/AboutBox.h"
#include "editor/CombDisplay.h"
#include "editor/CombTypeSelector.h"
#include "editor/DelayInfoLabel.h"
#include "editor/EditorColours.h"
#include "editor/EnvelopeStrip.h"
#include "editor/skin/SkinLayout.h"
#include "editor/skin/SkinResources.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/CKnob.h"
#include "gui/COptionMenu.h"
#include "host/ResonatorPlugin.h"
#include "programs/CombParameterTypes.h"
#include "programs/ParameterTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <new>

namespace {

using editor_colours::kBarYellow;
using editor_colours::kDarkBrown;

constexpr CRect kAboutArea{0, 0, 140, 125};
constexpr CRect kSelectorArea{11, 92, 628, 121};
constexpr CRect kDisplayArea{11, 125, 628, 325};
constexpr CRect kEnvelopeArea{11, 330, 628, 337};
constexpr CRect kDelayLabelArea{47, 375, 97, 389};

struct KnobPlace {
    int32_t left;
    int32_t tag;  // the global parameter it controls
};
// One row of 30 x 30 knobs at y 365: feedback level to release, then mix and output.
constexpr KnobPlace kKnobs[] = {{118, 20}, {153, 21}, {188, 22}, {223, 23}, {258, 24}, {310, 25}, {345, 26},
    {380, 27}, {415, 28}, {450, 29}, {551, 31}, {586, 30}};
constexpr int32_t kKnobTop = 365;
constexpr int32_t kKnobSize = 30;

constexpr const char* kSyncItems[] = {"To bar", "To 1/4", "To 1/8", "To 1/8T", "To 1/16", "To 1/16T"};
constexpr const char* kNudgeItems[] = {"+ 10%", "+ 5%", "+ 1%", "- 1%", "- 5%", "- 10%", "(Reset)"};

constexpr int32_t kDisplayColumnsAtStart = 100;

// The per-resonator type a selector value stands for: floor(v * 14.5) + 3.
int32_t typeForSelector(float value)
{
    const int32_t type = comb_type::selectedBy(value);
    return type ? type : comb_type::kPitch;
}

// Hands a new view to the frame; answers null (and frees the view) when it could not be added.
template <class View>
View* addToFrame(CFrame* frame, View* view)
{
    if (view && !frame->addView(view)) {
        view->forget();
        return nullptr;
    }
    return view;
}

// The menu entry of parameters 32..34: their item number, rounded.
float menuIndexOf(float item)
{
    return float(std::lround(item));
}

COptionMenu* makeMenu(CControlListener* listener, int32_t tag, int32_t style, const char* const* items, size_t count)
{
    auto* menu = new (std::nothrow) COptionMenu(CRect(), listener, tag, nullptr, nullptr, style);
    if (!menu)
        return nullptr;
    for (size_t i = 0; i < count; ++i)
        menu->addEntry(items[i]);
    return menu;
}

// A mode menu whose tag is its parameter's index: its entries are the parameter table's items.
COptionMenu* makeParameterMenu(CControlListener* listener, int32_t tag, int32_t style)
{
    const parameter_table::ParameterInfo& parameter = parameter_table::info(tag);
    const char* labels[16] = {};
    const size_t count = std::min(static_cast<size_t>(parameter.menuSize), std::size(labels));
    for (size_t i = 0; i < count; ++i)
        labels[i] = parameter.menu[i].label;
    return makeMenu(listener, tag, style, labels, count);
}

}  // namespace

ResonatorEditor::ResonatorEditor(ResonatorPlugin* plugin_) : AEffGUIEditor(plugin_)
{
    skin::registerSkinResources();
    background = new (std::nothrow) CBitmap(skin::kBackgroundId);
    // The background gives the window its size; without it the layout's size still holds.
    const bool sized = background && background->getWidth() > 0;
    rect.top = 0;
    rect.left = 0;
    rect.bottom = int16_t(sized ? background->getHeight() : kHeight);
    rect.right = int16_t(sized ? background->getWidth() : kWidth);
}

ResonatorEditor::~ResonatorEditor()
{
    if (frame)
        close();
    if (background)
        background->forget();
}

ResonatorPlugin* ResonatorEditor::plugin() const
{
    return static_cast<ResonatorPlugin*>(effect);
}

std::string ResonatorEditor::tuningName() const
{
    char name[TuningMap::kNameSize];
    plugin()->readTuningName(name, sizeof(name));
    return name;
}

intptr_t ResonatorEditor::open(void* parentWindow)
{
    if (frame)
        close();
    AEffGUIEditor::open(parentWindow);
    postUpdate();
    frame = new (std::nothrow) CFrame(CRect(0, 0, rect.right, rect.bottom), parentWindow, this);
    return build();
}

intptr_t ResonatorEditor::openWithPlatform(std::unique_ptr<PlatformFrame> platform)
{
    if (frame)
        close();
    AEffGUIEditor::open(platform ? platform->getSystemWindow() : nullptr);
    postUpdate();
    frame = new (std::nothrow) CFrame(CRect(0, 0, rect.right, rect.bottom), std::move(platform), this);
    return build();
}

intptr_t ResonatorEditor::build()
{
    // Failures are not the host's concern: the window shows whatever could be built.
    if (!frame)
        return 1;
    ResonatorPlugin* p = plugin();
    pendingParameters.store(0);
    pendingReload.store(kNoReload);
    pendingTuningTexts.store(false);
    // From here on changes are recorded: one that lands after a view has read its value
    // is applied at the first idle call.
    windowOpen.store(true, std::memory_order_release);
    frame->setBackground(background);

    CBitmap* knobBackground = new (std::nothrow) CBitmap(skin::kKnobBackgroundId);
    CBitmap* knobHandle = new (std::nothrow) CBitmap(skin::kKnobHandleId);

    aboutMenu = new (std::nothrow) COptionMenu(kAboutArea, this, kAboutTag, nullptr, nullptr, kNoDrawStyle | kPopupStyle);
    if (aboutMenu) {
        aboutMenu->addEntry("About Tovarine");
        aboutMenu = addToFrame(frame, aboutMenu);
    }

    CBitmap* selectorStrip = new (std::nothrow) CBitmap(skin::kSelectorStripId);
    typeSelector = new (std::nothrow) CombTypeSelector(kSelectorArea, this, kSelectorTag, skin::kSelectorSegments,
        skin::kSelectorImageHeight, skin::kSelectorSegments, selectorStrip, CPoint(0, 0));
    if (selectorStrip)
        selectorStrip->forget();
    if (typeSelector) {
        for (int32_t i = 0; i < skin::kSelectorSegments; ++i)
            typeSelector->setSegmentWidth(i, skin::kSelectorSegmentWidths[i]);
        typeSelector->setValue(p->getParameter(1));
        typeSelector = addToFrame(frame, typeSelector);
    }

    combDisplay = new (std::nothrow) CombDisplay(kDisplayArea, this, kDrawTag, kCommandTag, kDarkBrown, kDarkBrown,
        kBarYellow, kDisplayColumnsAtStart, 0);
    if (combDisplay) {
        combDisplay->setType(typeForSelector(p->getParameter(1)));
        combDisplay->setColumns(kNumCombs);
        buildSubmenus();
        buildCommandMenu();
        loadDisplay(combDisplay->getType());
        combDisplay = addToFrame(frame, combDisplay);
        if (!combDisplay)
            filterMenu = modelingMenu = feedbackDelayMenu = syncMenu = nullptr;  // went with it
    }

    envelopeStrip = new (std::nothrow) EnvelopeStrip(kEnvelopeArea, kDarkBrown, kBarYellow, kNumCombs);
    envelopeStrip = addToFrame(frame, envelopeStrip);

    delayLabel = new (std::nothrow) DelayInfoLabel(kDelayLabelArea);
    if (delayLabel) {
        delayLabel->setBackColor(kBarYellow);
        delayLabel->setFontColor(kDarkBrown);
    }
    addKnobs(knobBackground, knobHandle);
    delayLabel = addToFrame(frame, delayLabel);

    if (knobBackground)
        knobBackground->forget();
    if (knobHandle)
        knobHandle->forget();
    return 1;
}

void ResonatorEditor::buildSubmenus()
{
    ResonatorPlugin* p = plugin();
    const int32_t checked = kPopupStyle | kCheckStyle;
    filterMenu = makeParameterMenu(this, kFilterTag, checked);
    modelingMenu = makeParameterMenu(this, kModelingTag, checked);
    feedbackDelayMenu = makeParameterMenu(this, kFeedbackDelayTag, checked);
    syncMenu = makeMenu(this, kSyncTag, kPopupStyle, kSyncItems, std::size(kSyncItems));
    for (COptionMenu* menu : {modelingMenu, feedbackDelayMenu, filterMenu}) {
        if (menu) {
            menu->setValue(menuIndexOf(p->menuItem(menu->getTag())));
            menu->setDirty();
        }
    }
}

void ResonatorEditor::buildCommandMenu()
{
    char text[COptionMenu::kMaxEntryLength + 1];
    std::snprintf(text, sizeof(text), "Load Tuning Map [%s]", tuningName().c_str());
    combDisplay->addEntry(text);
    combDisplay->addEntry("Analyse Impulse (16 bit .WAV)");
    combDisplay->addEntry("-");
    // The display's menu owns the submenus from here on.
    const struct {
        COptionMenu* menu;
        const char* text;
    } submenus[] = {{syncMenu, "Sync combs"}, {modelingMenu, "Tension modeling"},
        {feedbackDelayMenu, "Feedback delay"}, {filterMenu, "Feedback filter"}};
    for (const auto& s : submenus) {
        if (!s.menu)
            continue;
        combDisplay->addEntry(s.menu, s.text);
        s.menu->forget();
    }
    combDisplay->addEntry("-");
    for (const char* item : kNudgeItems)
        combDisplay->addEntry(item);
}

void ResonatorEditor::addKnobs(CBitmap* knobBackground, CBitmap* knobHandle)
{
    ResonatorPlugin* p = plugin();
    for (const KnobPlace& place : kKnobs) {
        const CRect area(place.left, kKnobTop, place.left + kKnobSize, kKnobTop + kKnobSize);
        auto* knob = new (std::nothrow) CKnob(area, this, place.tag, knobBackground, knobHandle, CPoint(0, 0));
        if (!knob)
            continue;
        knob->setValue(p->getParameter(place.tag));
        controls[place.tag] = addToFrame(frame, knob);
    }
}

void ResonatorEditor::close()
{
    windowOpen.store(false, std::memory_order_release);
    aboutMenu = filterMenu = modelingMenu = feedbackDelayMenu = syncMenu = nullptr;
    combDisplay = nullptr;
    typeSelector = nullptr;
    envelopeStrip = nullptr;
    delayLabel = nullptr;
    for (CControl*& control : controls)
        control = nullptr;
    AEffGUIEditor::close();
}

void ResonatorEditor::idle()
{
    if (!frame)
        return;
    applyPendingUpdates();
    // The frame draws first, the live views are refreshed for the next idle
    // call: a dropped path shows in the label until then.
    AEffGUIEditor::idle();
    refreshLiveViews();
}

void ResonatorEditor::refreshViews()
{
    if (!frame)
        return;
    applyPendingUpdates();
    refreshLiveViews();
}

void ResonatorEditor::refreshLiveViews()
{
    // As the audio thread left them at the end of its last block.
    ResonatorPlugin* p = plugin();
    if (envelopeStrip) {
        float levels[kNumCombs];
        p->readEnvelopeLevels(levels);
        envelopeStrip->setValues(levels, kNumCombs);
    }
    if (delayLabel) {
        char text[DelayInfoLabel::kTextCapacity];
        p->feedbackStatusText(text, sizeof(text));
        delayLabel->setText(text);
    }
}

void ResonatorEditor::idleWhileWaiting()
{
    if (frame && frame->getPlatformFrame())
        frame->getPlatformFrame()->handlePaintEvents();
}

void ResonatorEditor::tellUser(const char* message)
{
    if (isOpen())
        about_box::showMessage(message, [this] { idleWhileWaiting(); });
}

COptionMenu* ResonatorEditor::getSubmenu(int32_t tag) const
{
    switch (tag) {
    case kModelingTag: return modelingMenu;
    case kFeedbackDelayTag: return feedbackDelayMenu;
    case kFilterTag: return filterMenu;
    case kSyncTag: return syncMenu;
    default: return nullptr;
    }
}

CControl* ResonatorEditor::getControl(int32_t index) const
{
    return index >= 0 && index < kNumParams ? controls[index] : nullptr;
}

// --- notifications from the plug-in (any thread) ---------------------------

void ResonatorEditor::requestReload(int32_t type, bool override)
{
    if (override) {
        pendingReload.store(type);
        return;
    }
    // A request for a definite type wins over "reload whatever is shown".
    int32_t expected = kNoReload;
    pendingReload.compare_exchange_strong(expected, type);
}

void ResonatorEditor::setParameter(int32_t index, float value)
{
    if (!isOpen())
        return;
    if (index >= 0 && index < kNumParams) {
        pendingParameters.fetch_or(uint64_t(1) << index);
        return;
    }
    switch (index) {
    case kDrawTag:
        // The bars are reloaded from the plug-in's values of the shown type.
        requestReload(-1, false);
        break;
    case kCommandTag:
        // Every tuning command may change the map's name, the pitches or the bars
        // of the shown type (load through the dialog, reload, derive, analysis, nudge).
        (void)value;
        pendingTuningTexts.store(true);
        requestReload(-1, false);
        break;
    case kSyncTag:
        // Synchronising rewrote every period: show the pitches, selector on its first segment.
        plugin()->setParameter(1, 0.f);
        requestReload(comb_type::kPitch, true);
        break;
    default:
        break;
    }
}

void ResonatorEditor::showCombParameter(int32_t type)
{
    if (isOpen())
        requestReload(type, true);
}

// --- user interface thread ----------------------------------------------------

void ResonatorEditor::applyPendingUpdates()
{
    const int32_t reload = pendingReload.exchange(kNoReload);
    if (reload != kNoReload)
        loadDisplay(reload);
    if (pendingTuningTexts.exchange(false))
        refreshTuningTexts();
    uint64_t changed = pendingParameters.exchange(0);
    for (int32_t index = 0; changed; ++index, changed >>= 1)
        if (changed & 1)
            applyParameter(index);
}

void ResonatorEditor::applyParameter(int32_t index)
{
    ResonatorPlugin* p = plugin();
    if (index == 1) {
        // The bars keep their type: only the selector and command 46 change what they show.
        if (typeSelector) {
            typeSelector->setValue(p->getParameter(1));
            typeSelector->setDirty();
        }
    } else if (index >= kModelingTag && index <= kFilterTag) {
        if (COptionMenu* menu = getSubmenu(index)) {
            menu->setValue(menuIndexOf(p->menuItem(index)));
            menu->setDirty();
        }
    } else if (CControl* knob = getControl(index)) {
        knob->setValue(p->getParameter(index));
        knob->setDirty();
    }
}

void ResonatorEditor::loadDisplay(int32_t type)
{
    if (!combDisplay)
        return;
    CombSettings combs[kNumCombs];
    plugin()->readCombSettings(combs);
    float values[kNumCombs];
    for (int32_t i = 0; i < kNumCombs; ++i)
        values[i] = combs[i].Out;
    combDisplay->setOutValues(values, kNumCombs);

    if (type == -1)
        type = combDisplay->getType();
    float CombSettings::* field = comb_type::fieldOf(type);
    for (int32_t i = 0; i < kNumCombs; ++i)
        values[i] = field ? combs[i].*field : 0.f;
    setDisplayTitle(type);
    combDisplay->setType(type);
    combDisplay->setValues(values, kNumCombs);
    combDisplay->setDirty();
}

// The title names the tuning only while the bars show the pitches; a missing
// file dialog is named whatever they show, or its commands would seem dead.
void ResonatorEditor::setDisplayTitle(int32_t type)
{
    char title[CombDisplay::kTitleCapacity] = "";
    const char* hint = plugin()->getFileDialogHint();
    if (type == comb_type::kPitch && hint)
        std::snprintf(title, sizeof(title), "Tuning [%s] - %s", tuningName().c_str(), hint);
    else if (type == comb_type::kPitch)
        std::snprintf(title, sizeof(title), "Tuning [%s]", tuningName().c_str());
    else if (hint)
        std::snprintf(title, sizeof(title), "%s", hint);
    combDisplay->setTitle(title);
}

void ResonatorEditor::refreshTuningTexts()
{
    if (!combDisplay)
        return;
    char text[COptionMenu::kMaxEntryLength + 1];
    const std::string name = tuningName();
    std::snprintf(text, sizeof(text), "Load Tuning Map [%s]", name.c_str());
    combDisplay->setEntry(kLoadTuningItem, text);
    setDisplayTitle(combDisplay->getType());
    frame->setDirty();
}

void ResonatorEditor::setUnannouncedParameter(int32_t index, float value)
{
    plugin()->setParameter(index, value);
}

void ResonatorEditor::valueChanged(CDrawContext* context, CControl* control)
{
    if (!control)
        return;
    ResonatorPlugin* p = plugin();
    const int32_t tag = control->getTag();
    const float v = control->getValue();
    switch (tag) {
    case kAboutTag:
        if (v == 0.f)
            about_box::show([this] { idleWhileWaiting(); });
        return;
    case kSelectorTag:
        setUnannouncedParameter(1, v);
        loadDisplay(typeForSelector(v));
        return;
    case kModelingTag:
    case kFeedbackDelayTag:
    case kFilterTag:
        setUnannouncedParameter(tag, v * 0.1f);
        break;
    case kDrawTag:
        if (combDisplay) {
            float values[kNumCombs];
            combDisplay->getValues(values, kNumCombs);
            const int32_t type = combDisplay->getType();
            ResonatorEngine::ControlScope change(*p);  // the whole stroke reaches the audio thread at once
            for (int32_t i = 0; i < kNumCombs; ++i)
                p->setCombParameter(i, type, values[i]);
        }
        break;
    case kCommandTag:
    case kSyncTag:
        p->setParameter(tag, v);
        break;
    default:
        p->setParameterAutomated(tag, v);
        break;
    }
    // Redraw at once what the user just moved; the submenus live outside the frame.
    if (context && frame && frame->isChild(control) && control->isDirty())
        control->update(context);
}
