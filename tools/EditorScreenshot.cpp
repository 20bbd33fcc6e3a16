// Saves a picture of the editor as PNG, without any display:
//   tovarine-editor-screenshot out.png [program 0..31] [note ...]
// The notes (MIDI numbers) are played for a moment first so that the envelope
// strip shows them. Links the plug-in's code directly instead of loading it.
#include "editor/EditorSnapshot.h"
#include "host/ResonatorPlugin.h"
#include "host/VstEventList.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

intptr_t silentHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

bool parseInt(const char* text, int& out)
{
    const char* end = text + std::strlen(text);
    auto result = std::from_chars(text, end, out);
    return result.ec == std::errc() && result.ptr == end;
}

void playNotes(ResonatorPlugin& plugin, const std::vector<int>& notes)
{
    constexpr int kBlock = 256;
    plugin.setSampleRate(44100.f);
    plugin.setBlockSize(kBlock);
    plugin.resume();
    VstEventList events(notes.size());
    for (int note : notes)
        events.add(makeMidiEvent(0x90, static_cast<uint8_t>(note), 110));
    plugin.processEvents(events.get());
    std::vector<float> in(kBlock, 0.f), outL(kBlock), outR(kBlock);
    float* ins[] = {in.data(), in.data()};
    float* outs[] = {outL.data(), outR.data()};
    for (int block = 0; block < 40; ++block)
        plugin.processReplacing(ins, outs, kBlock);
}

const char* const kUsage =
    "usage: tovarine-editor-screenshot PICTURE.png [PROGRAM] [NOTE ...]\n"
    "\n"
    "Draws the plug-in's editor (640 x 420 pixels) into a PNG picture, without a display.\n"
    "  PROGRAM  the program to show, 0..31 (default 0)\n"
    "  NOTE     MIDI note numbers 0..127 played for a moment first, so the envelope strip lights\n"
    "\n"
    "example:\n"
    "  tovarine-editor-screenshot docs/editor.png 1 48 55 60 64 67 72\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // A picture named like an option is a mistyped option.
    if (argv[1][0] == '-') {
        std::fprintf(stderr, "tovarine-editor-screenshot: unknown option %s (see --help)\n", argv[1]);
        return 2;
    }
    auto plugin = std::make_unique<ResonatorPlugin>(silentHost);
    int program = 0;
    if (argc > 2 && (!parseInt(argv[2], program) || program < 0 || program > 31)) {
        std::fprintf(stderr, "program must be 0..31\n");
        return 2;
    }
    plugin->setProgram(program);
    std::vector<int> notes;
    for (int i = 3; i < argc; ++i) {
        int note = 0;
        if (!parseInt(argv[i], note) || note < 0 || note > 127) {
            std::fprintf(stderr, "notes are MIDI numbers 0..127\n");
            return 2;
        }
        notes.push_back(note);
    }
    if (!notes.empty())
        playNotes(*plugin, notes);
    if (!renderEditorToPng(plugin.get(), argv[1])) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
