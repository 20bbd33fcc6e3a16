// The eight fonts of the framework, by index: pixel height and face.
#pragma once

#include <cstdint>

enum CFontIndex : int32_t {
    kSystemFont = 0,         // 12 px, always bold
    kNormalFontVeryBig = 1,  // 18 px
    kNormalFontBig = 2,      // 14 px
    kNormalFont = 3,         // 12 px
    kNormalFontSmall = 4,    // 11 px
    kNormalFontSmaller = 5,  // 10 px
    kNormalFontVerySmall = 6,// 9 px
    kSymbolFont = 7,         // 13 px
    kNumFonts = 8,
};

// Style bits of CDrawContext::setFont.
enum CTxtFace : int32_t {
    kNormalFace = 0,
    kBoldFace = 1,
    kItalicFace = 2,
    kUnderlineFace = 4,
};

struct FontTableEntry {
    int32_t pixelHeight;  // character height (em size) in pixels
    const char* face;     // the face name the views ask for
    const char* family;   // the fontconfig family that renders it
    bool alwaysBold;
};

// Entry of an index; an index outside 0..7 gives entry 0.
const FontTableEntry& fontTableEntry(int32_t index);
