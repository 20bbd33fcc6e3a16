// Writes the example files the README's commands use, all made here rather
// than recorded: examples/make-examples.sh runs it (and adds the preset bank),
// and a test checks that the committed files are what it makes.
//   tovarine-make-examples FOLDER
//     FOLDER/drums.wav   the first bar of the demo's percussive pattern, 16-bit stereo
//     FOLDER/chords.mid  two chords on MIDI channel 1 and a feedback-voice note on channel 2
#include "tools/DemoScene.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using tovarine::cli::StereoBuffer;

bool writeDrums(const std::string& path)
{
    StereoBuffer drums = tovarine::cli::makeDemoScene().excitation;
    const auto frames = static_cast<std::size_t>(2.0 * drums.sampleRate);  // one bar at 120 BPM
    std::vector<float> interleaved(2 * frames);
    for (std::size_t i = 0; i < frames; ++i) {
        interleaved[2 * i] = drums.left[i];
        interleaved[2 * i + 1] = drums.right[i];
    }
    SF_INFO info{};
    info.samplerate = static_cast<int>(drums.sampleRate);
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    const bool complete = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames)) == static_cast<sf_count_t>(frames);
    return sf_close(file) == 0 && complete;
}

// A Standard MIDI File, format 0, 480 ticks per quarter note at 96 BPM.
class MidiTrack {
public:
    void event(uint32_t tick, std::initializer_list<uint8_t> message)
    {
        writeVariableLength(tick - lastTick);
        lastTick = tick;
        bytes.insert(bytes.end(), message);
    }
    void note(int channel, int key, int velocity, uint32_t start, uint32_t end)
    {
        notes.push_back({start, {static_cast<uint8_t>(0x90 | (channel - 1)), static_cast<uint8_t>(key), static_cast<uint8_t>(velocity)}});
        notes.push_back({end, {static_cast<uint8_t>(0x80 | (channel - 1)), static_cast<uint8_t>(key), 0}});
    }
    std::vector<uint8_t> file()
    {
        std::stable_sort(notes.begin(), notes.end(), [](const Timed& a, const Timed& b) { return a.tick < b.tick; });
        event(0, {0xFF, 0x51, 0x03, 0x09, 0x89, 0x68});  // 625,000 us per quarter note: 96 BPM
        event(0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});  // 4/4
        for (const Timed& n : notes)
            event(n.tick, {n.message[0], n.message[1], n.message[2]});
        event(lastTick, {0xFF, 0x2F, 0x00});  // end of track
        std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
        const auto size = static_cast<uint32_t>(bytes.size());
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<uint8_t>(size >> shift));
        out.insert(out.end(), bytes.begin(), bytes.end());
        return out;
    }

private:
    struct Timed {
        uint32_t tick;
        uint8_t message[3];
    };
    void writeVariableLength(uint32_t value)
    {
        uint8_t groups[5];
        int n = 0;
        do {
            groups[n++] = static_cast<uint8_t>(value & 0x7F);
            value >>= 7;
        } while (value);
        while (n-- > 0)
            bytes.push_back(static_cast<uint8_t>(groups[n] | (n ? 0x80 : 0)));
    }
    std::vector<uint8_t> bytes;
    std::vector<Timed> notes;
    uint32_t lastTick = 0;
};

bool writeChords(const std::string& path)
{
    constexpr uint32_t kBar = 4 * 480;
    MidiTrack track;
    for (int key : {48, 55, 63})  // C minor
        track.note(1, key, 96, 0, kBar);
    for (int key : {46, 53, 62})  // B flat major
        track.note(1, key, 96, kBar, 2 * kBar);
    track.note(2, 36, 100, kBar / 4, 7 * kBar / 4);  // the feedback voice on a low C
    const std::vector<uint8_t> bytes = track.file();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tovarine-make-examples FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (const auto& [name, write] : {std::pair{"drums.wav", &writeDrums}, std::pair{"chords.mid", &writeChords}}) {
        if (!write(folder + "/" + name)) {
            std::fprintf(stderr, "tovarine-make-examples: could not write %s/%s\n", folder.c_str(), name);
            return 1;
        }
    }
    return 0;
}
