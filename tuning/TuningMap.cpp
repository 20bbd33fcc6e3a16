#include "tuning/TuningMap.h"

#include <cmath>
#include <cstdio>
#include <cstring>

TuningMap::TuningMap()
{
    resetToStandard();
}

void TuningMap::resetToStandard()
{
    for (int n = 0; n < kNumNotes; ++n)
        noteCents[n] = 100.0 * n;
    baseFrequency = kStandardBaseFrequency;
    std::snprintf(name, sizeof(name), "%s", "standard");
    errorText[0] = '\0';
}

double TuningMap::frequencyOfNote(int note)
{
    errorText[0] = '\0';
    const double cents = (note >= 0 && note < kNumNotes) ? noteCents[note] : 100.0 * note;
    return baseFrequency * std::exp2(cents / 1200.0);
}

void TuningMap::setNoteFrequency(int note, double frequency)
{
    errorText[0] = '\0';
    if (note < 0 || note >= kNumNotes) {
        std::snprintf(errorText, sizeof(errorText), "Note index out of range: %d", note);
        return;
    }
    noteCents[note] = 1200.0 * std::log2(frequency / baseFrequency);
}

bool TuningMap::loadFromFile(const char* path)
{
    (void)path;
    resetToStandard();
    std::snprintf(errorText, sizeof(errorText), "%s", "No tuning data found!");
    return false;
}
