#include "tools/MidiEvents.h"

#include "tools/FileUtil.h"
#include "tools/MidiFileCheck.h"
#include "tools/NumberText.h"
#include "tools/ToolError.h"

#include <glib.h>
#include <smf.h>

#include <climits>
#include <memory>

namespace tovarine::cli {

namespace {

struct SmfDeleter {
    void operator()(smf_t* smf) const { smf_delete(smf); }
};

// libsmf reports parse problems through GLib's log; our own one-line error
// says what matters, so its messages are kept off the terminal.
void quietLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

}  // namespace

std::vector<TimedMidi> readMidiFile(const std::string& path)
{
    const std::vector<uint8_t> bytes = readFileBytes(path);
    checkStandardMidiFile(bytes, path);
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        throw ToolError(path + ": too large for a MIDI file");
    const GLogFunc previous = g_log_set_default_handler(quietLog, nullptr);
    std::unique_ptr<smf_t, SmfDeleter> smf(smf_load_from_memory(bytes.data(), static_cast<int>(bytes.size())));
    g_log_set_default_handler(previous, nullptr);
    if (!smf)
        throw ToolError(path + ": not a readable Standard MIDI File");
    std::vector<TimedMidi> events;
    while (smf_event_t* event = smf_get_next_event(smf.get())) {
        if (smf_event_is_metadata(event) || smf_event_is_sysex(event) || event->midi_buffer_length < 1)
            continue;
        const uint8_t status0 = event->midi_buffer[0];
        if (status0 < 0x80 || status0 >= 0xf0)
            continue;  // only channel messages reach an effect
        TimedMidi midi;
        midi.seconds = event->time_seconds;
        for (int i = 0; i < 3 && i < event->midi_buffer_length; ++i)
            midi.bytes[i] = event->midi_buffer[i];
        events.push_back(midi);
    }
    return events;
}

std::vector<TimedMidi> parseNoteOption(const std::string& text)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    const std::string where = "--note " + text;
    if (fields.size() != 5)
        throw usageError(where + ": expected CHANNEL:NOTE:VELOCITY:START:LENGTH");
    const long channel = parseInteger(fields[0], where + ": channel");
    const long note = parseInteger(fields[1], where + ": note");
    const long velocity = parseInteger(fields[2], where + ": velocity");
    const double startSeconds = parseNumber(fields[3], where + ": start");
    const double length = parseNumber(fields[4], where + ": length");
    if (channel < 1 || channel > 16)
        throw usageError(where + ": channel must be 1..16");
    if (note < 0 || note > 127)
        throw usageError(where + ": note must be 0..127");
    if (velocity < 1 || velocity > 127)
        throw usageError(where + ": velocity must be 1..127");
    if (startSeconds < 0 || startSeconds > 3600)
        throw usageError(where + ": start must be 0..3600 seconds");
    if (length <= 0 || length > 3600)
        throw usageError(where + ": length must be more than 0 and at most 3600 seconds");
    const auto ch = static_cast<uint8_t>(channel - 1);
    TimedMidi on{startSeconds, {static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(note), static_cast<uint8_t>(velocity)}};
    TimedMidi off{startSeconds + length, {static_cast<uint8_t>(0x80 | ch), static_cast<uint8_t>(note), 0}};
    return {on, off};
}

}  // namespace tovarine::cli
