// The object a host instantiates: the engine plus its editor. The editor side
// (attachEditor and the calls that reach the editor) is defined by the editor
// where the platform has one, and otherwise by the platform layer, which hands the
// calls to an editor linked from another module (the LV2 UI), if any.
#pragma once

#include "engine/ResonatorEngine.h"
#include "host/EditorLink.h"

#include <atomic>

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
    bool hostChoosesFile(FileChoice which) override;
    bool hostLoadsFile(FileChoice which, const std::string& path) override;

    ResonatorEditor* getResonatorEditor();

    // An editor in another module follows this object through `link` (null ends it). Answers
    // once no call to the link it replaces runs any more, so that one may then be destroyed.
    void setEditorLink(EditorLink* link);
    bool hasEditorLink() const { return editorLink.load() != nullptr; }
    // Hands a call to the linked editor, if any; never waits.
    template <class Call>
    void callEditorLink(Call call)
    {
        linkCalls.fetch_add(1);
        if (EditorLink* link = editorLink.load())
            call(*link);
        linkCalls.fetch_sub(1);
    }

private:
    // Creates the editor, which registers itself; false when that fails for lack of memory.
    bool attachEditor();
    void forwardParameterToEditor(int32_t index, float value);

    std::atomic<EditorLink*> editorLink{nullptr};
    std::atomic<int32_t> linkCalls{0};
};

// Set when a part of an instance could not be allocated; main() then refuses it.
extern bool gOutOfMemory;
