// The names the LV2 plug-in is known by: its URI, its presets' URIs, its state
// keys and its files in the bundle. Hosts store them in sessions: never change one.
#pragma once

#define TOVARINE_LV2_URI "https://tovarine.org/lv2/88-resonator"
#define TOVARINE_LV2_PRESET_PREFIX TOVARINE_LV2_URI "#preset-"
#define TOVARINE_LV2_STATE_PREFIX TOVARINE_LV2_URI "#"

namespace lv2_ids {

constexpr const char* kPluginUri = TOVARINE_LV2_URI;
constexpr const char* kDspBinary = "Tovarine_dsp.so";
constexpr const char* kPluginTurtle = "Tovarine.ttl";
constexpr const char* kPresetsTurtle = "presets.ttl";

// State: the whole bank as one chunk, the current program, and per program the
// files its tuning comes from ("NN" is the program number, two digits).
constexpr const char* kBankKey = TOVARINE_LV2_STATE_PREFIX "bank";
constexpr const char* kProgramKey = TOVARINE_LV2_STATE_PREFIX "program";
constexpr const char* kTunPathKeyPrefix = TOVARINE_LV2_STATE_PREFIX "tun-";
constexpr const char* kScalePathKeyPrefix = TOVARINE_LV2_STATE_PREFIX "scale-";
constexpr const char* kMappingPathKeyPrefix = TOVARINE_LV2_STATE_PREFIX "mapping-";

// Parameters a host sets by patch:Set, with an atom:Path: the file to load.
constexpr const char* kTuningFileParameter = TOVARINE_LV2_STATE_PREFIX "tuningFile";
constexpr const char* kImpulseFileParameter = TOVARINE_LV2_STATE_PREFIX "impulseFile";

// Ports: stereo audio in and out, the event input, then the 43 parameters.
constexpr int kInLeftPort = 0;
constexpr int kInRightPort = 1;
constexpr int kOutLeftPort = 2;
constexpr int kOutRightPort = 3;
constexpr int kEventsPort = 4;
constexpr int kFirstParameterPort = 5;

// The longest block the engine is handed in one call; longer ones are split.
constexpr int kLongestBlock = 8192;

}  // namespace lv2_ids
