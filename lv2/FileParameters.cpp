#include "lv2/FileParameters.h"

#include "engine/ResonatorEngine.h"
#include "lv2/Lv2Plugin.h"

#include <lv2/atom/util.h>

#include <algorithm>
#include <cstring>

void FileParameters::take(const LV2_Atom_Object& set, const Lv2Uris& uris)
{
    if (!schedule)
        return;
    const LV2_Atom* property = nullptr;
    const LV2_Atom* value = nullptr;
    lv2_atom_object_get(&set, uris.patchProperty, &property, uris.patchValue, &value, 0);
    LV2_URID key = 0;
    if (property && property->type == uris.atomUrid && property->size >= sizeof(LV2_URID))
        key = reinterpret_cast<const LV2_Atom_URID*>(property)->body;
    const WorkMessage::Kind kind = key == uris.tuningFileParameter    ? WorkMessage::kTuningFile
                                   : key == uris.impulseFileParameter ? WorkMessage::kImpulseFile
                                                                      : WorkMessage::kMalformedSet;
    if (kind == WorkMessage::kMalformedSet || !value || value->type != uris.atomPath)
        return send(WorkMessage::kMalformedSet, 0);
    // An atom:Path holds the path and its terminating nul.
    const auto* text = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
    const auto* end = static_cast<const char*>(
        std::memchr(text, '\0', std::min<std::size_t>(value->size, WorkMessage::kLongestPath + 1)));
    if (!end && value->size > WorkMessage::kLongestPath)
        return send(WorkMessage::kPathTooLong, value->size);
    if (!end || end == text)
        return send(WorkMessage::kMalformedSet, 0);
    const auto length = static_cast<uint32_t>(end - text);
    std::memcpy(message.path, text, length + 1);
    send(kind, length);
}

void FileParameters::send(WorkMessage::Kind kind, uint32_t length)
{
    message.kind = kind;
    message.length = length;
    // A host whose queue is full loses the request, as it would lose the user's click.
    schedule->schedule_work(schedule->handle, message.size(), &message);
}

void FileParameters::work(Lv2Plugin& plugin, const WorkMessage& message)
{
    const char* path = message.path;
    switch (message.kind) {
    case WorkMessage::kTuningFile:
        if (!plugin.engine().loadTuningFile(path))
            plugin.log().error("the tuning file %s was not loaded: it is no file, or it was refused", path);
        return;
    case WorkMessage::kImpulseFile:
        if (!plugin.engine().analyseImpulseFile(path))
            plugin.log().error("the impulse response %s was not analysed: it is no 16 bit .WAV file long enough "
                               "for the analysis",
                               path);
        return;
    case WorkMessage::kPathTooLong:
        plugin.log().error("a file path of %u bytes was ignored: %zu at most", static_cast<unsigned>(message.length),
                           WorkMessage::kLongestPath);
        return;
    default:
        plugin.log().error("a patch:Set was ignored: it sets neither the tuning map nor the impulse response to a "
                           "path");
        return;
    }
}
