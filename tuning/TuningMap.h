// The table of note pitches: 128 notes in cents above a base frequency,
// standard equal temperament (note 69 = 440 Hz) unless a ".tun" file was read.
#pragma once

#include <cstddef>

class TuningMap {
public:
    static constexpr int kNumNotes = 128;
    static constexpr double kStandardBaseFrequency = 8.175798915643707;  // MIDI note 0
    static constexpr std::size_t kNameSize = 80;
    static constexpr std::size_t kErrorTextSize = 400;

    TuningMap();
    virtual ~TuningMap() = default;

    void resetToStandard();
    bool loadFromFile(const char* path);
    double frequencyOfNote(int note);
    // The same without clearing the error text, which a failed load leaves for the user.
    double frequencyOf(int note) const;
    void setNoteFrequency(int note, double frequency);
    // Takes a whole table (cents above the present base frequency) and its name at once.
    void assign(const double (&cents)[kNumNotes], const char* newName);

    const char* getName() const { return name; }
    const char* getErrorText() const { return errorText; }

    double noteCents[kNumNotes];
    double baseFrequency;
    char name[kNameSize];
    char errorText[kErrorTextSize];

private:
    // Fills this map from a ".tun" file; loadFromFile() runs it on a scratch map.
    bool readFile(const char* path);
    // Repeats notes 0..periodNote upwards to note 127 (for a file whose
    // "[exact tuning]" section stops below note 127).
    void repeatScaleUpwards(int periodNote);
};
