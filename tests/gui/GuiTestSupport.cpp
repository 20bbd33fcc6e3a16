#include "GuiTestSupport.h"

std::vector<int32_t>& hostCalls()
{
    static std::vector<int32_t> calls;
    return calls;
}

namespace {
intptr_t recordingHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    hostCalls().push_back(opcode);
    return 1;
}
}  // namespace

RecordingEffect::RecordingEffect() : AudioEffectX(recordingHost, 1, 1) {}

int32_t findCommand(const std::vector<PopupMenuEntry>& entries, const std::string& text)
{
    for (const PopupMenuEntry& entry : entries) {
        if (entry.text == text && entry.command >= 0)
            return entry.command;
        const int32_t inSubmenu = findCommand(entry.submenu, text);
        if (inSubmenu >= 0)
            return inSubmenu;
    }
    return -1;
}
