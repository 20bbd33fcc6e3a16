// A picture of the plug-in's editor without any display: the editor's views are
// built (or the open window's views are used), drawn offscreen and saved as PNG.
#pragma once

class ResonatorPlugin;

// Call on the thread that owns the editor's window. Answers false when the plug-in
// has no editor or the file cannot be written.
bool renderEditorToPng(ResonatorPlugin* plugin, const char* path);
