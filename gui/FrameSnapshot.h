// Draws a whole frame into an offscreen image, without any window system, and saves it
// as PNG (for tests and the command-line host).
#pragma once

class CFrame;

bool saveFrameAsPng(CFrame* frame, const char* path);
