#include "tools/Renderer.h"

#include "host/VstEventList.h"
#include "tools/PluginHost.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tovarine::cli {

namespace {

struct ScheduledMidi {
    std::size_t frame;
    int order;  // note-offs made from --note options sort before other events of their frame
    VstMidiEvent event;
};

bool isNoteOff(const TimedMidi& midi)
{
    const uint8_t kind = midi.bytes[0] & 0xf0;
    return kind == 0x80 || (kind == 0x90 && midi.bytes[2] == 0);
}

std::vector<ScheduledMidi> schedule(const std::vector<TimedMidi>& events, double sampleRate)
{
    std::vector<ScheduledMidi> scheduled;
    scheduled.reserve(events.size());
    for (const TimedMidi& midi : events) {
        ScheduledMidi s{};
        s.frame = static_cast<std::size_t>(std::llround(std::max(0.0, midi.seconds) * sampleRate));
        s.order = isNoteOff(midi) ? 0 : 1;
        s.event = makeMidiEvent(midi.bytes[0], midi.bytes[1], midi.bytes[2]);
        scheduled.push_back(s);
    }
    std::stable_sort(scheduled.begin(), scheduled.end(), [](const ScheduledMidi& a, const ScheduledMidi& b) {
        return a.frame != b.frame ? a.frame < b.frame : a.order < b.order;
    });
    return scheduled;
}

}  // namespace

RenderResult render(PluginHost& plugin, const StereoBuffer& input, std::vector<TimedMidi> events,
                    const RenderSettings& settings, const RenderProgress& progress)
{
    const double sampleRate = input.sampleRate;
    const std::vector<ScheduledMidi> scheduled = schedule(events, sampleRate);
    const std::size_t contentFrames = std::max(input.frames(), scheduled.empty() ? 0 : scheduled.back().frame + 1);
    const bool autoTail = settings.tailSeconds < 0;
    const auto tailFrames = static_cast<std::size_t>(
        std::llround((autoTail ? kMaxAutoTailSeconds : settings.tailSeconds) * sampleRate));
    const std::size_t maxFrames = contentFrames + tailFrames;
    const auto quietFramesNeeded = static_cast<std::size_t>(std::llround(kQuietSeconds * sampleRate));
    const float quietLevel = static_cast<float>(std::pow(10.0, kTailThresholdDb / 20.0));

    const auto block = static_cast<std::size_t>(settings.blockSize);
    std::vector<float> inL(block), inR(block), outL(block), outR(block);
    // One list with room for every event, so no block needs more memory.
    VstEventList list(scheduled.size());

    RenderResult result;
    StereoBuffer& output = result.audio;
    output.sampleRate = sampleRate;
    output.left.reserve(autoTail ? contentFrames : maxFrames);
    output.right.reserve(autoTail ? contentFrames : maxFrames);

    std::size_t nextEvent = 0;
    std::size_t quietRun = 0;
    std::size_t pos = 0;
    bool silentForGood = false;
    while (pos < maxFrames && !silentForGood) {
        const std::size_t n = std::min(block, maxFrames - pos);
        const auto frames = static_cast<int32_t>(n);
        list.clear();
        while (nextEvent < scheduled.size() && scheduled[nextEvent].frame < pos + n) {
            VstMidiEvent e = scheduled[nextEvent].event;
            e.deltaFrames = static_cast<int32_t>(scheduled[nextEvent].frame - pos);
            list.add(e);
            ++nextEvent;
        }
        if (list.size() > 0)
            plugin.sendEvents(list.get());
        for (std::size_t i = 0; i < n; ++i) {
            const bool inside = pos + i < input.frames();
            inL[i] = inside ? input.left[pos + i] : 0.f;
            inR[i] = inside ? input.right[pos + i] : 0.f;
        }
        std::fill(outL.begin(), outL.end(), 0.f);
        std::fill(outR.begin(), outR.end(), 0.f);
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        plugin.timeInfo.samplePos = static_cast<double>(pos);
        if (settings.accumulate)
            plugin.processAccumulating(inputs, outputs, frames);
        else
            plugin.processReplacing(inputs, outputs, frames);
        output.left.insert(output.left.end(), outL.begin(), outL.begin() + frames);
        output.right.insert(output.right.end(), outR.begin(), outR.begin() + frames);

        if (autoTail) {
            for (std::size_t i = 0; i < n; ++i) {
                if (pos + i < contentFrames)
                    continue;
                const bool quiet = std::fabs(outL[i]) < quietLevel && std::fabs(outR[i]) < quietLevel;
                quietRun = quiet ? quietRun + 1 : 0;
                if (quietRun >= quietFramesNeeded) {
                    // Cut where the output fell silent for good.
                    const std::size_t end = std::max(contentFrames, pos + i + 1 - quietRun);
                    output.left.resize(end);
                    output.right.resize(end);
                    silentForGood = true;
                    break;
                }
            }
        }
        pos += n;
        if (progress)
            progress(pos, autoTail ? (pos < contentFrames ? contentFrames : 0) : maxFrames);
    }
    result.tailCutAtCap = autoTail && !silentForGood && tailFrames > 0;
    return result;
}

}  // namespace tovarine::cli
