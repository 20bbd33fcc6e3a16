// The 43 global parameters as every host format presents them: the name a
// VST 2 host shows, a stable symbol and a descriptive name for hosts that save
// values by symbol, whether the parameter does anything, and the menu whose
// items its stored values stand for. Values always run from 0 to 1.
#pragma once

#include <cstdint>

namespace parameter_table {

// What setting a parameter changes.
enum class Use : uint8_t {
    Sound,       // changes what comes out
    EditorOnly,  // what the editor shows and its commands act on
    Unused,      // stored and automated, read by nothing
};

struct MenuItem {
    const char* label;
    float value;  // item k stores k / 10
};

struct ParameterInfo {
    const char* hostName;  // what effGetParamName answers (the editor captions the "paramname" ones)
    const char* symbol;    // lowercase letters, digits and '_'; hosts save by it: never change one
    const char* title;     // a name that says what the parameter does
    Use use;
    const MenuItem* menu;  // null unless the parameter is a menu
    int32_t menuSize;
};

constexpr float kMinimum = 0.f;
constexpr float kMaximum = 1.f;

// Index 0..42; anything else answers the entry of an unused parameter with empty texts.
const ParameterInfo& info(int32_t index);

}  // namespace parameter_table
