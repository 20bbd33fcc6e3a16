#include "programs/FactoryPresets.h"

#include "programs/DecimalText.h"

#include <initializer_list>

namespace {

constexpr int kNumFactoryPrograms = 5;

// ---------------------------------------------------------------------------
// Global parameters
// ---------------------------------------------------------------------------

// Parameters whose value differs between the factory programs; one column per program 0..4.
constexpr struct { int index; float value[kNumFactoryPrograms]; } kProgramGlobals[] = {
    //      prog 0    prog 1    prog 2    prog 3    prog 4
    { 1, {0.21429f, 0.f,      0.f,      0.f,      0.f }},
    {12, {0.5f,     0.5f,     0.f,      0.f,      0.f }},
    {17, {0.5f,     0.5f,     0.f,      0.f,      0.f }},
    {20, {0.1f,     0.30322f, 1.0f,     0.68079f, 0.1f}},
    {21, {0.5f,     0.5f,     1.0f,     0.f,      0.f }},
    {22, {0.5f,     0.66667f, 0.99584f, 0.59839f, 0.f }},
    {23, {0.3f,     0.42721f, 0.36657f, 0.26506f, 0.3f}},
    {24, {0.8f,     0.96989f, 0.133f,   0.58457f, 0.8f}},
    {25, {0.1f,     0.77803f, 1.0f,     0.32602f, 0.1f}},
    {26, {0.f,      0.16667f, 0.21865f, 0.25044f, 0.f }},
    {27, {0.05f,    0.18296f, 0.22197f, 0.48487f, 0.05f}},
    {28, {0.02f,    0.42599f, 0.6285f,  0.88146f, 0.02f}},
    {29, {0.1f,     0.23494f, 0.f,      0.24741f, 0.1f}},
    {30, {1.0f,     0.78693f, 1.0f,     1.0f,     1.0f}},
    {31, {0.50786f, 1.0f,     1.0f,     1.0f,     1.0f}},
    {32, {0.f,      0.f,      0.f,      0.f,      0.f }},
    {33, {0.f,      0.f,      0.f,      0.f,      0.f }},
    {34, {0.2f,     0.f,      0.4f,     0.2f,     0.2f}},
};

// Parameters with the same value in all five programs.
constexpr struct { int index; float value; } kSharedGlobals[] = {
    {0, 0.f},     {3, 0.f},     {4, 0.95f},   {5, 0.95f},   {6, 0.f},     {7, 0.98f},
    {8, 0.01144f}, {9, 0.003f}, {10, 0.05921f}, {11, 1.0f}, {14, 0.98f},  {15, 0.f},
    {42, 0.1f},
    // Stored but unused.
    {2, kUnusedWordValue},  {13, kUnusedWordValue}, {16, kUnusedWordValue}, {18, kUnusedWordValue},
    {19, kUnusedWordValue}, {35, kUnusedWordValue}, {36, kUnusedWordValue}, {37, kUnusedWordValue},
    {38, kUnusedWordValue}, {39, kUnusedWordValue}, {40, kUnusedWordValue}, {41, kUnusedWordValue},
};

// ---------------------------------------------------------------------------
// Resonator settings: a value for all 88 resonators, then the resonators that differ
// ---------------------------------------------------------------------------

// One value for resonator `first` (or the range first..last).
struct Span {
    Span(int resonator, float v) : first(resonator), last(resonator), value(v) {}
    Span(int from, int to, float v) : first(from), last(to), value(v) {}
    int first;
    int last;
    float value;
};

using Field = float CombSettings::*;
using Spans = std::initializer_list<Span>;

void setField(ProgramRecord& p, Field field, float allResonators, Spans exceptions = {})
{
    for (CombSettings& c : p.combSettings)
        c.*field = allResonators;
    for (const Span& s : exceptions)
        for (int i = s.first; i <= s.last; ++i)
            p.combSettings[i].*field = s.value;
}

// The LFO rates rise by 0.002 per resonator from 0.15 (0.15 Hz ... 0.324 of the range).
void setLfoRamp(ProgramRecord& p, Spans exceptions = {})
{
    for (int i = 0; i < kNumCombs; ++i)
        p.combSettings[i].LFOfreq = static_cast<float>((150 + 2 * i) / 1000.0);
    for (const Span& s : exceptions)
        for (int i = s.first; i <= s.last; ++i)
            p.combSettings[i].LFOfreq = s.value;
}

// What every factory program shares: the standard pitches as stored with five
// decimals, the envelope shape, the unused words and the name fields.
void setCommon(ProgramRecord& p, const char* name, const char* tuningMapPath)
{
    const ProgramRecord defaults;
    for (int i = 0; i < kNumCombs; ++i) {
        CombSettings& c = p.combSettings[i];
        c.normalPitch = roundedToFiveDecimals(defaults.combSettings[i].normalPitch);
        c.Delay = roundedToFiveDecimals(defaults.combSettings[i].Delay);
        c.envAttack = 0.4f;
        c.envDecay = 0.4f;
        c.envSustain = 0.7f;
        c.Velocity2Pitch = kUnusedWordValue;
        c.PitchGlide = kUnusedWordValue;
    }
    copyText(p.name, sizeof(p.name), name);
    copyText(p.tuningMapPath, sizeof(p.tuningMapPath), tuningMapPath);
    copyText(p.version, sizeof(p.version), "1.0");
}

void simplePanningReverb(ProgramRecord& p)
{
    setCommon(p, "Simple Panning Reverb", "*standard");
    p.combSettings[0].normalPitch = 0.03f;  // its Delay keeps the standard period
    setField(p, &CombSettings::Decay, 0.96f,
             {{0, 0.635f}, {1, 0.76f}, {21, 0.865f}, {22, 0.89f}, {23, 0.915f}, {24, 0.935f}});
    setField(p, &CombSettings::Stiff, 0.f,
             {{0, 0.435f}, {1, 0.9f}, {2, 0.485f}, {3, 0.505f}, {4, 0.53f}, {5, 0.56f}, {6, 0.58f},
              {7, 0.6f}, {8, 0.61f}, {9, 0.615f}, {10, 0.62f}, {11, 0.63f}, {12, 0.635f}, {13, 0.65f},
              {14, 0.66f}, {15, 0.67f}, {16, 0.685f}, {17, 0.685f}, {18, 0.69f}, {19, 0.695f},
              {20, 0.7f}, {21, 0.71f}, {22, 0.715f}, {23, 0.72f}, {24, 0.72f}, {25, 0.73f},
              {26, 0.735f}, {27, 0.74f}, {28, 0.745f}, {29, 0.745f}, {30, 0.745f}, {33, 0.66f},
              {34, 0.66f}, {35, 0.65f}, {36, 0.65f}, {37, 0.645f}});
    setField(p, &CombSettings::Bright, 0.85f,
             {{0, 0.51f}, {1, 0.74f}, {21, 0.745f}, {22, 0.765f}, {23, 0.8f}, {24, 0.83f}, {25, 0.865f}});
    setLfoRamp(p, {{0, 0.03f}, {21, 0.095f}, {23, 0.755f}, {24, 0.05f}});
    setField(p, &CombSettings::Out, 0.f, {{0, 0.999f}, {1, 0.999f}, {21, 25, 1.0f}});
    setField(p, &CombSettings::inPan, 0.5f);
    setField(p, &CombSettings::Pan, 0.1f,
             {{0, 0.78f}, {20, 0.915f}, {21, 0.925f}, {22, 0.94f}, {23, 0.945f}, {24, 0.95f},
              {25, 0.955f}, {26, 0.96f}, {27, 29, 0.795f}});
    setField(p, &CombSettings::PanPos, 0.5f);
    setField(p, &CombSettings::LFO2Dec, 0.5f, {{0, 0.435f}, {21, 0.55f}, {22, 0.47f}, {23, 0.55f}, {25, 0.53f}});
    setField(p, &CombSettings::envRelease, 0.5f);
    setField(p, &CombSettings::Velocity, 0.5f);
}

void playOnChannel1(ProgramRecord& p)
{
    setCommon(p, "Play On Ch 1", "");
    setField(p, &CombSettings::Decay, 0.99f);
    setField(p, &CombSettings::Stiff, 0.f);
    setField(p, &CombSettings::Bright, 0.85f, {{21, 0.99f}, {22, 49, 0.999f}, {50, 0.955f}, {51, 0.95f}});
    setLfoRamp(p, {{19, 0.055f}, {20, 0.045f}, {21, 0.06f}, {22, 0.06f}, {23, 0.065f}, {24, 0.07f},
                   {25, 0.07f}, {26, 0.075f}, {27, 0.075f}, {28, 0.08f}, {29, 0.08f}, {30, 0.085f},
                   {31, 0.09f}, {32, 0.1f}, {33, 0.105f}, {34, 0.11f}, {35, 0.115f}, {36, 0.125f},
                   {37, 0.13f}, {38, 0.13f}, {39, 0.13f}, {40, 0.135f}, {41, 0.14f}, {42, 0.145f},
                   {43, 0.145f}, {44, 0.15f}, {45, 49, 0.16f}, {50, 0.11f}, {51, 0.095f}});
    setField(p, &CombSettings::Out, 0.f, {{21, 49, 1.f}});
    setField(p, &CombSettings::inPan, 0.5f);
    setField(p, &CombSettings::Pan, 0.52f,
             {{0, 0.27f}, {1, 0.285f}, {2, 0.29f}, {3, 0.3f}, {4, 0.305f}, {5, 0.31f}, {6, 0.315f},
              {7, 0.32f}, {8, 0.32f}, {9, 0.325f}, {10, 0.33f}, {11, 0.34f}, {12, 0.35f}, {13, 0.35f},
              {14, 0.365f}, {15, 0.375f}, {16, 0.385f}, {17, 0.395f}, {18, 0.41f}, {19, 0.415f},
              {20, 0.425f}, {21, 0.435f}, {22, 0.445f}, {23, 0.46f}, {24, 0.47f}, {25, 0.485f},
              {26, 0.49f}, {27, 0.495f}, {28, 0.51f}, {29, 0.515f}, {58, 66, 0.515f}, {67, 0.51f},
              {68, 0.505f}, {69, 0.485f}, {70, 0.46f}, {71, 0.425f}, {72, 0.4f}, {73, 0.38f},
              {74, 0.37f}, {75, 0.37f}, {76, 0.39f}, {77, 0.385f}, {78, 0.38f}, {79, 0.38f},
              {80, 87, 0.375f}});
    setField(p, &CombSettings::PanPos, 0.5f);
    setField(p, &CombSettings::LFO2Dec, 0.5f);
    setField(p, &CombSettings::envRelease, 0.5f,
             {{15, 32, 0.955f}, {33, 0.94f}, {34, 0.955f}, {35, 0.96f}, {36, 0.96f}, {37, 0.95f},
              {38, 0.96f}, {39, 0.96f}, {40, 0.97f}, {41, 0.965f}, {42, 0.98f}, {43, 0.985f},
              {44, 0.99f}, {45, 0.97f}, {46, 0.975f}, {47, 0.999f}, {48, 0.975f}, {49, 0.98f},
              {50, 0.999f}, {51, 0.985f}, {52, 0.99f}, {53, 0.995f}, {54, 56, 0.999f}});
    setField(p, &CombSettings::Velocity, 0.999f);
}

// Programs 2..4 share everything but the name, the LFO and pan runs of
// program 2 and the range of sounding resonators.
void channel2Program(ProgramRecord& p, const char* name, int lastSounding)
{
    setCommon(p, name, "");
    setField(p, &CombSettings::Decay, 0.96f);
    setField(p, &CombSettings::Stiff, 0.f);
    setField(p, &CombSettings::Bright, 0.85f);
    setLfoRamp(p);
    setField(p, &CombSettings::Out, 0.f, {{21, lastSounding, 1.f}});
    setField(p, &CombSettings::inPan, 0.f);
    setField(p, &CombSettings::Pan, 0.1f);
    setField(p, &CombSettings::PanPos, 0.f);
    setField(p, &CombSettings::LFO2Dec, 0.f);
    setField(p, &CombSettings::envRelease, 0.f);
    setField(p, &CombSettings::Velocity, 0.f);
}

void playChannel2Percussive(ProgramRecord& p)
{
    channel2Program(p, "Play Ch 2 Percussive", 28);
    setLfoRamp(p, {{20, 0.06f}, {21, 0.08f}, {22, 0.1f}, {23, 0.12f}, {25, 0.13f}, {27, 0.15f},
                   {28, 0.165f}, {30, 0.175f}, {31, 0.18f}, {32, 0.19f}, {33, 0.19f}, {34, 0.205f},
                   {35, 0.215f}, {36, 0.23f}, {37, 0.245f}});
    setField(p, &CombSettings::Pan, 0.1f,
             {{11, 0.765f}, {12, 0.785f}, {13, 0.81f}, {14, 0.815f}, {15, 0.825f}, {16, 0.83f},
              {17, 0.845f}, {18, 0.82f}, {19, 0.845f}, {20, 0.85f}, {21, 0.865f}, {22, 0.875f},
              {23, 0.89f}, {24, 0.9f}, {25, 0.905f}, {26, 0.91f}, {27, 0.915f}, {28, 0.925f},
              {29, 0.925f}, {30, 0.93f}, {31, 0.935f}, {32, 0.94f}, {33, 0.94f}, {34, 0.955f},
              {35, 0.955f}, {36, 0.96f}, {37, 0.97f}, {38, 0.97f}});
}

void setGlobals(ProgramRecord& p, int program)
{
    for (const auto& g : kSharedGlobals)
        p.fParams[g.index] = g.value;
    for (const auto& g : kProgramGlobals)
        p.fParams[g.index] = g.value[program];
}

}  // namespace

void fillFactoryPresets(ProgramRecord* programs)
{
    if (!programs)
        return;
    for (int k = 0; k < kNumFactoryPrograms; ++k)
        setGlobals(programs[k], k);
    simplePanningReverb(programs[0]);
    playOnChannel1(programs[1]);
    playChannel2Percussive(programs[2]);
    channel2Program(programs[3], "Play Ch 2 Drone/Whistle", 32);
    channel2Program(programs[4], "Init", 49);
}
