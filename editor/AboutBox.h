// The about box: a modal message with the product, its version and its maker, shown
// by the platform (platform/AboutBox.cpp: the desktop's zenity or kdialog on Linux;
// platform/win32: a message box). Returns when the user closes it.
#pragma once

#include "TovarineVersion.h"

#include <functional>

namespace about_box {

inline constexpr const char* kCaption = "Tovarine";
inline constexpr const char* kText = "Tovarine 88 Resonator v" TOVARINE_VERSION ", made by tovarine.audio";

// whileWaiting runs about every 50 ms until the dialog is closed (the editor keeps
// its window painted with it). Answers false when no dialog could be shown.
bool show(const std::function<void()>& whileWaiting = {});

// The same box with another text (under the same caption).
bool showMessage(const char* text, const std::function<void()>& whileWaiting = {});

}  // namespace about_box
