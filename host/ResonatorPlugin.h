// The object a host instantiates: the engine plus its editor. The editor side
// (attachEditor and the calls that reach the editor) is defined by the editor
// where the platform has one, and by the platform layer as nothing otherwise.
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

private:
    // Creates the editor, which registers itself; false when that fails for lack of memory.
    bool attachEditor();
    void forwardParameterToEditor(int32_t index, float value);
};

// Set when a part of an instance could not be allocated; main() then refuses it.
extern bool gOutOfMemory;
