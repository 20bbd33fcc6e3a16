// An editor that lives outside the plug-in object's module (the LV2 UI binary) and
// follows the object as the built-in editor does. The calls come from any thread,
// the audio thread among them: an implementation only records what they say, except
// idleWhileWaiting and tellUser, which it may act on when they come from its own thread.
#pragma once

#include "engine/FileChoice.h"

#include <cstdint>
#include <string>

class EditorLink {
public:
    // What the built-in editor hears from the plug-in.
    virtual void parameterChanged(int32_t index, float value) = 0;
    virtual void showCombParameter(int32_t type) = 0;
    // Answers true when the wait is to be given up (the editor is closing).
    virtual bool idleWhileWaiting() = 0;
    virtual void tellUser(const char* message) = 0;
    // True when the host will ask the user for the file `which` (the request is made later,
    // from the host's thread) instead of a file dialog.
    virtual bool hostChoosesFile(FileChoice which) = 0;
    // True when the host will load the file `path` a dialog chose (sent to the DSP's worker).
    virtual bool hostLoadsFile(FileChoice which, const std::string& path) = 0;
    // What a host hears from the editor: a change the user made, and the edges of a drag.
    virtual void automated(int32_t index, float value) = 0;
    virtual void editBegun(int32_t index) = 0;
    virtual void editEnded(int32_t index) = 0;

protected:
    ~EditorLink() = default;
};
