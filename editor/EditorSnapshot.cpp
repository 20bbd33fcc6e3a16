#include "editor/EditorSnapshot.h"

#include "editor/ResonatorEditor.h"
#include "gui/FrameSnapshot.h"
#include "host/ResonatorPlugin.h"

bool renderEditorToPng(ResonatorPlugin* plugin, const char* path)
{
    ResonatorEditor* editor = plugin ? plugin->getResonatorEditor() : nullptr;
    if (!editor || !path)
        return false;
    const bool openedHere = editor->getFrame() == nullptr;
    if (openedHere)
        editor->open(nullptr);  // no parent window: views only, drawn offscreen
    editor->refreshViews();
    const bool written = saveFrameAsPng(editor->getFrame(), path);
    if (openedHere)
        editor->close();
    return written;
}
