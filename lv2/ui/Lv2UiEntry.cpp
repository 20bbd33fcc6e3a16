// The UI binary's one exported symbol: the descriptor of the editor as an X11 UI,
// with the idle interface that drives it and the show interface for hosts that
// give it no parent window.
#include "lv2/ui/Lv2Ui.h"
#include "lv2/ui/UiIds.h"

#include <lv2/ui/ui.h>

#include <cstring>

namespace {

Lv2Ui* uiOf(LV2UI_Handle handle)
{
    return static_cast<Lv2Ui*>(handle);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    return Lv2Ui::create(pluginUri, write, controller, widget, features);
}

void cleanup(LV2UI_Handle handle)
{
    delete uiOf(handle);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    uiOf(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle)
{
    return uiOf(handle)->idle();
}

int show(LV2UI_Handle handle)
{
    return uiOf(handle)->show();
}

int hide(LV2UI_Handle handle)
{
    return uiOf(handle)->hide();
}

const void* extensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idleInterface = {idle};
    static const LV2UI_Show_Interface showInterface = {show, hide};
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &idleInterface;
    if (std::strcmp(uri, LV2_UI__showInterface) == 0)
        return &showInterface;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {lv2_ui_ids::kUiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
