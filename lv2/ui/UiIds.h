// The names the editor's UI is known by. Hosts store the UI's URI: never change it.
#pragma once

#include "lv2/Lv2Ids.h"

namespace lv2_ui_ids {

constexpr const char* kUiUri = TOVARINE_LV2_URI "#ui";
constexpr const char* kUiBinary = "Tovarine_ui.so";
constexpr const char* kUiTurtle = "ui.ttl";

}  // namespace lv2_ui_ids
