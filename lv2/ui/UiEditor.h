// The editor as the LV2 UI shows it: the VST 2 editor, pixel for pixel, except that
// the host owns every parameter, so the setting strip and the mode menus announce
// their changes as the knobs do.
#pragma once

#include "editor/ResonatorEditor.h"

#include <mutex>

class UiEditor : public ResonatorEditor {
public:
    using ResonatorEditor::ResonatorEditor;

    // The view framework serves one thread at a time, as it serves the one user interface
    // thread of a VST 2 host. Each UI runs its editor on a thread of its own and holds
    // this lock while it does: one editor's dialog or drag pauses the others, never the host.
    static std::mutex& frameworkLock();
    // Lets the other editors run while this one waits for a dialog (the caller holds the lock).
    void idleWhileWaiting() override;

protected:
    void setUnannouncedParameter(int32_t index, float value) override;
};
