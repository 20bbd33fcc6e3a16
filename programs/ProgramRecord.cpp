#include "programs/ProgramRecord.h"

#include <cmath>
#include <cstring>

namespace {
// Standard tuning: note n at 8.175798915643707 * 2^(n/12) Hz.
constexpr double kNoteZeroHz = 8.175798915643707;
}

ProgramRecord::ProgramRecord()
{
    std::memset(this, 0, sizeof(*this));

    static const struct { int index; float value; } kDefaults[] = {
        {0, 0.f},    {1, 0.f},     {3, 0.f},       {4, 0.95f},     {5, 0.95f},  {6, 0.f},
        {7, 0.98f},  {8, 0.01144f}, {9, 0.003f},   {10, 0.059207f}, {11, 1.0f},  {12, 0.5f},
        {14, 0.98f}, {15, 0.f},    {17, 0.5f},     {20, 0.1f},     {21, 0.5f},  {22, 0.5f},
        {23, 0.3f},  {24, 0.8f},   {25, 0.1f},     {26, 0.f},      {27, 0.05f}, {28, 0.02f},
        {29, 0.1f},  {30, 1.0f},   {31, 1.0f},     {32, 0.f},      {33, 0.f},   {34, 0.2f},
        {42, 1.2f},
    };
    for (const auto& d : kDefaults)
        fParams[d.index] = d.value;

    const float invLog1024 = static_cast<float>(1.0 / std::log(1024.0));
    for (int i = 0; i < kNumCombs; ++i) {
        CombSettings& c = combSettings[i];
        const int note = i + kFirstCombNote;
        const double freq = kNoteZeroHz * std::pow(2.0, note / 12.0);
        c.normalPitch = static_cast<float>(std::log(freq / 4.0) * invLog1024);
        c.Delay = static_cast<float>(44100.0 / freq);
        c.Decay = 0.96f;
        c.Stiff = 0.f;
        c.Bright = 0.85f;
        c.LFOfreq = static_cast<float>(0.15 + 0.002 * i);
        c.Out = (i >= 21 && i <= 49) ? 1.f : 0.f;
        c.inPan = 0.5f;
        c.Pan = 0.1f;
        c.PanPos = 0.5f;
        c.LFO2Dec = 0.5f;
        c.envAttack = 0.4f;
        c.envDecay = 0.4f;
        c.envSustain = 0.7f;
        c.envRelease = 0.5f;
        c.Velocity = 0.5f;
    }
    copyText(name, sizeof(name), "Init");
    copyText(version, sizeof(version), kNewRecordVersion);
}

void copyText(char* dest, std::size_t destSize, const char* source)
{
    if (!dest || destSize == 0)
        return;
    if (!source)
        source = "";
    const std::size_t n = strnlen(source, destSize - 1);
    std::memcpy(dest, source, n);
    dest[n] = '\0';
}

std::size_t boundedLength(const char* text, std::size_t fieldSize)
{
    return strnlen(text, fieldSize);
}
