#include "programs/ParameterTable.h"

#include "programs/ProgramRecord.h"

#include <iterator>

namespace parameter_table {

namespace {

constexpr MenuItem kModelingMenu[] = {{"No modeling", 0.f}, {"Model A", 0.1f}, {"Model B", 0.2f}};
constexpr MenuItem kFeedbackDelayMenu[] = {
    {"Tune to MIDI", 0.f}, {"Sync (bar)", 0.1f}, {"Sync (1/2)", 0.2f},  {"Sync (1/4)", 0.3f},
    {"Sync (1/8)", 0.4f},  {"Sync (1/8T)", 0.5f}, {"Sync (1/16)", 0.6f}, {"Sync (1/16T)", 0.7f},
};
constexpr MenuItem kFilterMenu[] = {
    {"Lowpass", 0.f}, {"Highpass", 0.1f}, {"Bandpass", 0.2f}, {"Notch", 0.3f}, {"Allpass", 0.4f},
};

template <std::size_t N>
constexpr ParameterInfo menuParameter(const char* symbol, const char* title, const MenuItem (&items)[N])
{
    return {"paramname", symbol, title, Use::Sound, items, static_cast<int32_t>(N)};
}

constexpr ParameterInfo sound(const char* hostName, const char* symbol, const char* title)
{
    return {hostName, symbol, title, Use::Sound, nullptr, 0};
}

constexpr ParameterInfo unused(const char* symbol, const char* title)
{
    return {"paramname", symbol, title, Use::Unused, nullptr, 0};
}

constexpr ParameterInfo kParameters[kNumParams] = {
    unused("unused_0", "Unused 0"),
    {"paramname", "setting_shown", "Resonator setting shown", Use::EditorOnly, nullptr, 0},
    unused("unused_2", "Unused 2"),
    unused("unused_3", "Unused 3"),
    unused("unused_4", "Unused 4"),
    unused("unused_5", "Unused 5"),
    unused("unused_6", "Unused 6"),
    unused("unused_7", "Unused 7"),
    unused("unused_8", "Unused 8"),
    unused("unused_9", "Unused 9"),
    unused("unused_10", "Unused 10"),
    unused("unused_11", "Unused 11"),
    unused("unused_12", "Unused 12"),
    unused("unused_13", "Unused 13"),
    unused("unused_14", "Unused 14"),
    unused("unused_15", "Unused 15"),
    unused("unused_16", "Unused 16"),
    unused("unused_17", "Unused 17"),
    unused("unused_18", "Unused 18"),
    unused("unused_19", "Unused 19"),
    sound("Fb Lvl.", "fb_level", "Feedback level"),
    sound("Fb Vel.", "fb_velocity", "Feedback velocity"),
    sound("Fb Dist.", "fb_distortion", "Feedback distortion"),
    sound("Fb Cut.", "fb_cut", "Feedback limiter threshold"),
    sound("paramname", "fb_resonance", "Feedback filter resonance"),
    sound("Fb Dsc", "fb_glide", "Feedback glide"),
    sound("Fb Attk", "fb_attack", "Feedback attack"),
    sound("Fb Decy", "fb_decay", "Feedback decay"),
    sound("Fb Sust", "fb_sustain", "Feedback sustain"),
    sound("Fb Rels", "fb_release", "Feedback release"),
    sound("Out Lvl", "out_level", "Output level"),
    sound("Mix (Wet)", "mix", "Mix (wet)"),
    menuParameter("tension_modeling", "Tension modeling", kModelingMenu),
    menuParameter("fb_delay", "Feedback delay", kFeedbackDelayMenu),
    menuParameter("fb_filter", "Feedback filter", kFilterMenu),
    unused("unused_35", "Unused 35"),
    unused("unused_36", "Unused 36"),
    unused("unused_37", "Unused 37"),
    unused("unused_38", "Unused 38"),
    unused("unused_39", "Unused 39"),
    unused("unused_40", "Unused 40"),
    unused("unused_41", "Unused 41"),
    unused("unused_42", "Unused 42"),
};
static_assert(std::size(kParameters) == kNumParams);

constexpr ParameterInfo kNoParameter = {"", "", "", Use::Unused, nullptr, 0};

}  // namespace

const ParameterInfo& info(int32_t index)
{
    return (index >= 0 && index < kNumParams) ? kParameters[index] : kNoParameter;
}

}  // namespace parameter_table
