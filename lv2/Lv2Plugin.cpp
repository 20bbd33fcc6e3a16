#include "lv2/Lv2Plugin.h"

#include "host/ResonatorPlugin.h"
#include "lv2/Features.h"
#include "lv2/Lv2Ids.h"
#include "lv2/RestoreJob.h"

#include <lv2/atom/util.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace {

// Events one call of processEvents takes; a block with more is cut at the event that does not fit.
constexpr std::size_t kEventsPerCall = 1024;

int32_t maxBlockOf(const LV2_Options_Option* options, const Lv2Uris& uris)
{
    for (const LV2_Options_Option* o = options; o && o->key; ++o)
        if (o->key == uris.maxBlockLength && o->type == uris.atomInt && o->size == sizeof(int32_t) && o->value) {
            const int32_t frames = *static_cast<const int32_t*>(o->value);
            if (frames > 0)
                return std::min(frames, lv2_ids::kLongestBlock);
        }
    return lv2_ids::kLongestBlock;
}

bool isChannelMessage(const uint8_t* bytes, uint32_t size)
{
    return size >= 1 && size <= 3 && bytes[0] >= 0x80 && bytes[0] < 0xF0;
}

}  // namespace

Lv2Plugin* Lv2Plugin::create(double sampleRate, const LV2_Feature* const* features)
{
    const auto* map = featureData<LV2_URID_Map>(features, LV2_URID__map);
    if (!map || !(sampleRate > 0.0))
        return nullptr;
    const Lv2Uris uris(*map);
    const auto* options = featureData<LV2_Options_Option>(features, LV2_OPTIONS__options);
    try {
        std::unique_ptr<Lv2Plugin> plugin(new Lv2Plugin(*map, featureData<LV2_Log_Log>(features, LV2_LOG__log),
                                                        featureData<LV2_Worker_Schedule>(features, LV2_WORKER__schedule),
                                                        maxBlockOf(options, uris)));
        if (!plugin->open(sampleRate))
            return nullptr;
        return plugin.release();
    } catch (...) {
        return nullptr;  // out of memory: the host is told the instance failed
    }
}

Lv2Plugin::Lv2Plugin(const LV2_URID_Map& map, const LV2_Log_Log* hostLog, const LV2_Worker_Schedule* schedule,
                     int32_t maxBlock)
    : map(map),
      uriIds(std::make_unique<Lv2Uris>(map)),
      messages(std::make_unique<Lv2Log>(hostLog, *uriIds)),
      maxBlock(maxBlock),
      midi(kEventsPerCall),
      files(schedule)
{
    for (auto& copy : inputCopy)
        copy.assign(static_cast<std::size_t>(maxBlock), 0.f);
}

bool Lv2Plugin::open(double sampleRate)
{
    // As the VST 2 entry point creates it: an instance that could not allocate everything is refused.
    gOutOfMemory = false;
    auto* plugin = new (std::nothrow) ResonatorPlugin(&Lv2Plugin::hostCallback);
    if (!plugin)
        return false;
    if (gOutOfMemory || !plugin->isComplete()) {
        delete plugin;
        return false;
    }
    effect = plugin->getAeffect();
    effect->resvd1 = reinterpret_cast<intptr_t>(this);  // the host's own word: how the callback finds us
    rate = sampleRate;
    transport.setSampleRate(sampleRate);
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, maxBlock);
    for (int32_t k = 0; k < kNumParams; ++k)
        lastSent[k] = std::bit_cast<uint32_t>(plugin->liveParams[k].load());
    return true;
}

Lv2Plugin::~Lv2Plugin()
{
    if (effect)
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.f);  // deletes the plug-in object
}

ResonatorEngine& Lv2Plugin::engine()
{
    return *static_cast<ResonatorPlugin*>(static_cast<AudioEffect*>(effect->object));
}

void Lv2Plugin::holdRestoreJob(std::unique_ptr<RestoreJob> job)
{
    const std::lock_guard lock(jobMutex);
    restoreJob = std::move(job);
}

std::unique_ptr<RestoreJob> Lv2Plugin::takeRestoreJob()
{
    const std::lock_guard lock(jobMutex);
    return std::move(restoreJob);
}

intptr_t Lv2Plugin::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void Lv2Plugin::connect(uint32_t port, void* data)
{
    switch (port) {
    case lv2_ids::kInLeftPort: inputs[0] = static_cast<const float*>(data); return;
    case lv2_ids::kInRightPort: inputs[1] = static_cast<const float*>(data); return;
    case lv2_ids::kOutLeftPort: outputs[0] = static_cast<float*>(data); return;
    case lv2_ids::kOutRightPort: outputs[1] = static_cast<float*>(data); return;
    case lv2_ids::kEventsPort: events = static_cast<const LV2_Atom_Sequence*>(data); return;
    default:
        if (port >= lv2_ids::kFirstParameterPort && port < lv2_ids::kFirstParameterPort + kNumParams)
            parameterPorts[port - lv2_ids::kFirstParameterPort] = static_cast<const float*>(data);
    }
}

void Lv2Plugin::activate()
{
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
}

void Lv2Plugin::deactivate()
{
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
}

void Lv2Plugin::sendChangedParameters()
{
    for (int32_t k = 0; k < kNumParams; ++k) {
        if (!parameterPorts[k])
            continue;
        const float value = *parameterPorts[k];
        const uint32_t bits = std::bit_cast<uint32_t>(value);
        if (bits == lastSent[k])
            continue;
        lastSent[k] = bits;
        effect->setParameter(effect, k, value);
    }
}

void Lv2Plugin::run(uint32_t frames)
{
    // As a host's automation: the parameters that changed, once per block, before its audio.
    sendChangedParameters();
    midi.clear();
    const LV2_Atom_Event* event = events ? lv2_atom_sequence_begin(&events->body) : nullptr;
    const auto more = [&] { return event && !lv2_atom_sequence_is_end(&events->body, events->atom.size, event); };
    uint32_t start = 0;
    do {
        uint32_t end = std::min<uint32_t>(frames, start + static_cast<uint32_t>(maxBlock));
        for (; more(); event = lv2_atom_sequence_next(event)) {
            const uint32_t at = static_cast<uint32_t>(std::clamp<int64_t>(event->time.frames, start, frames));
            if (at >= end && end < frames)
                break;  // belongs to a later part of a block longer than the engine takes at once
            const LV2_Atom& body = event->body;
            const bool isObject = body.type == uris().atomObject || body.type == uris().atomBlank;
            if (isObject && body.size >= sizeof(LV2_Atom_Object_Body)) {
                const auto& object = *reinterpret_cast<const LV2_Atom_Object*>(&body);
                if (object.body.otype == uris().patchSet)
                    files.take(object, uris());
                else
                    transport.read(object, uris());
            } else if (body.type == uris().midiEvent && end > start) {
                const auto* bytes = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&body));
                if (!isChannelMessage(bytes, body.size))
                    continue;
                const uint32_t frame = std::min(at, end - 1);
                const VstMidiEvent vst = makeMidiEvent(bytes[0], body.size > 1 ? bytes[1] : 0,
                                                       body.size > 2 ? bytes[2] : 0,
                                                       static_cast<int32_t>(frame - start));
                if (!midi.add(vst) && frame > start) {
                    end = frame;  // the list is full: this event starts the next part
                    break;
                }
            }
        }
        if (end > start)
            processFrames(start, end);
        midi.clear();
        start = end;
    } while (start < frames);
}

void Lv2Plugin::processFrames(uint32_t start, uint32_t end)
{
    if (!inputs[0] || !inputs[1] || !outputs[0] || !outputs[1])
        return;
    const uint32_t frames = end - start;
    float* in[2] = {const_cast<float*>(inputs[0] + start), const_cast<float*>(inputs[1] + start)};
    float* out[2] = {outputs[0] + start, outputs[1] + start};
    // The engine reads its inputs while it writes its outputs: an input that is also
    // an output is read from a copy.
    const bool aliased = inputs[0] == outputs[0] || inputs[0] == outputs[1] || inputs[1] == outputs[0]
                         || inputs[1] == outputs[1];
    if (aliased) {
        for (int c = 0; c < 2; ++c) {
            std::copy(in[c], in[c] + frames, inputCopy[c].data());
            in[c] = inputCopy[c].data();
        }
    }
    if (midi.size() > 0)
        dispatch(effProcessEvents, 0, 0, midi.get());
    effect->processReplacing(effect, in, out, static_cast<int32_t>(frames));
    transport.advance(static_cast<int32_t>(frames));
}

intptr_t Lv2Plugin::hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    // While the plug-in object is being built, the instance is not yet known.
    auto* self = effect ? reinterpret_cast<Lv2Plugin*>(effect->resvd1) : nullptr;
    if (opcode == audioMasterVersion)
        return 2400;
    return self ? self->answerHost(opcode, index, value, ptr, opt) : 0;
}

intptr_t Lv2Plugin::answerHost(int32_t opcode, int32_t index, intptr_t, void* ptr, float opt)
{
    switch (opcode) {
    // The editor's changes go to the UI, which writes them to the host's control ports.
    case audioMasterAutomate:
        pluginObject().callEditorLink([&](EditorLink& link) { link.automated(index, opt); });
        return 1;
    case audioMasterBeginEdit:
        pluginObject().callEditorLink([&](EditorLink& link) { link.editBegun(index); });
        return 1;
    case audioMasterEndEdit:
        pluginObject().callEditorLink([&](EditorLink& link) { link.editEnded(index); });
        return 1;
    case audioMasterGetTime:
        return reinterpret_cast<intptr_t>(transport.timeInfo());
    case audioMasterGetSampleRate:
        return static_cast<intptr_t>(rate);
    case audioMasterGetBlockSize:
        return maxBlock;
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
        if (!ptr)
            return 0;
        copyText(static_cast<char*>(ptr), 64, opcode == audioMasterGetVendorString ? "Tovarine" : "Tovarine LV2");
        return 1;
    default:
        return 0;
    }
}
