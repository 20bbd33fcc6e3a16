// The drawing device on GDI, over a device context it does not own (a memory device
// context of an image). Fonts come from the font table by face name ("Arial"), created
// with the negative character height; everything it selects is put back when it ends.
#pragma once

#include "gui/PlatformGraphics.h"

#include <windows.h>

class GdiGraphics : public PlatformGraphics {
public:
    explicit GdiGraphics(HDC dc);
    ~GdiGraphics() override;

    GdiGraphics(const GdiGraphics&) = delete;
    GdiGraphics& operator=(const GdiGraphics&) = delete;

    void fillRect(const CRect& rect, const CColor& color) override;
    void strokeLine(const CPoint& from, const CPoint& to, const CColor& color, int32_t width, bool dashed) override;
    void setFont(const FontTableEntry& entry, int32_t pixelHeight, bool bold, bool italic) override;
    FontMetrics getFontMetrics() override;
    double getTextWidth(const char* text) override;
    void drawText(const char* text, const CPoint& origin, const CColor& color, const CRect& clip) override;
    void drawImage(PlatformImage& source, const CRect& dest, const CPoint& sourceOrigin, const CColor* transparentColor) override;

private:
    void drawMasked(HDC source, const CRect& dest, const CPoint& sourceOrigin, COLORREF key);

    HDC dc;
    HFONT font = nullptr;
    HGDIOBJ previousFont = nullptr;
};
