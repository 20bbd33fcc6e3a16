// The images built into the plug-in, looked up by resource id. A resource is either
// literal pixel data or a function that paints the pixels when the bitmap is loaded;
// both are 0x00RRGGBB words, row after row.
#pragma once

#include <cstdint>

struct BitmapResource {
    int32_t width = 0;
    int32_t height = 0;
    const uint32_t* pixels = nullptr;  // width * height words, or null when render is given
    void (*render)(uint32_t* pixels, int32_t width, int32_t height) = nullptr;
};

// Registers (or replaces) the image of a resource id. Answers false for an invalid description.
bool registerBitmapResource(int32_t id, const BitmapResource& resource);
void unregisterBitmapResource(int32_t id);
// The registered image, or null.
const BitmapResource* findBitmapResource(int32_t id);
