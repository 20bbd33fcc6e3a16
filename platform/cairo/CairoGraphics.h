// The drawing device on Cairo: aliased fills and strokes, grey-level antialiased text
// through fontconfig, images composited with their transparent colour cleared.
#pragma once

#include "gui/PlatformGraphics.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

class CairoGraphics : public PlatformGraphics {
public:
    // Draws into the surface, holding a reference to it; null when Cairo fails.
    static std::unique_ptr<CairoGraphics> create(cairo_surface_t* surface);
    ~CairoGraphics() override;

    void fillRect(const CRect& rect, const CColor& color) override;
    void strokeLine(const CPoint& from, const CPoint& to, const CColor& color, int32_t width, bool dashed) override;
    void setFont(const FontTableEntry& entry, int32_t pixelHeight, bool bold, bool italic) override;
    FontMetrics getFontMetrics() override;
    double getTextWidth(const char* text) override;
    void drawText(const char* text, const CPoint& origin, const CColor& color, const CRect& clip) override;
    void drawImage(PlatformImage& source, const CRect& dest, const CPoint& sourceOrigin, const CColor* transparentColor) override;

    // Limits all further drawing to the rectangle (a window's damaged area).
    void clipTo(const CRect& rect);

private:
    CairoGraphics(cairo_surface_t* surface, cairo_t* cr);

    cairo_surface_t* surface;
    cairo_t* cr;
};
