// The plug-in's editor. Its window, controls and views come with the view framework.
#pragma once

#include "gui/AEffEditor.h"

class ResonatorPlugin;

class ResonatorEditor : public AEffEditor {
public:
    static constexpr int16_t kWidth = 640;
    static constexpr int16_t kHeight = 420;

    explicit ResonatorEditor(ResonatorPlugin* plugin);
    ~ResonatorEditor() override = default;

    intptr_t getRect(ERect** rect) override;

    // Notifications from the plug-in; harmless while no window is open.
    virtual void setParameter(int32_t index, float value) { (void)index; (void)value; }
    virtual void showCombParameter(int type) { (void)type; }

private:
    ERect rect;
};
