// The editor as the LV2 UI shows it: the VST 2 editor, pixel for pixel, except that
// the host owns every parameter, so the setting strip and the mode menus announce
// their changes as the knobs do.
#pragma once

#include "editor/ResonatorEditor.h"

class UiEditor : public ResonatorEditor {
public:
    using ResonatorEditor::ResonatorEditor;

protected:
    void setUnannouncedParameter(int32_t index, float value) override;
};
