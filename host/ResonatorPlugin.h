// The object a host instantiates: the engine plus its editor.
#pragma once

#include "engine/ResonatorEngine.h"

class ResonatorEditor;

class ResonatorPlugin : public ResonatorEngine {
public:
    explicit ResonatorPlugin(audioMasterCallback audioMaster);
    ~ResonatorPlugin() override = default;

    // Every parameter change also reaches the editor so its controls follow.
    void setParameter(int32_t index, float value) override;
    void showCombParameterInEditor(int32_t type) override;
    // Keeps the editor's window painted while a dialog blocks the user interface thread.
    void idleWhileWaiting() override;
    void tellUser(const char* message) override;

    ResonatorEditor* getResonatorEditor();
};

// Set when a part of an instance could not be allocated; main() then refuses it.
extern bool gOutOfMemory;
