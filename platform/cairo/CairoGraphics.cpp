#include "platform/cairo/CairoGraphics.h"

#include "gui/FontTable.h"
#include "platform/cairo/CairoImage.h"

#include <cairo.h>

namespace {
void setSourceColor(cairo_t* cr, const CColor& color)
{
    cairo_set_source_rgb(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
}
}  // namespace

std::unique_ptr<CairoGraphics> CairoGraphics::create(cairo_surface_t* surface)
{
    if (!surface)
        return nullptr;
    cairo_t* cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        return nullptr;
    }
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    return std::unique_ptr<CairoGraphics>(new CairoGraphics(surface, cr));
}

CairoGraphics::CairoGraphics(cairo_surface_t* surface_, cairo_t* cr_) : surface(cairo_surface_reference(surface_)), cr(cr_) {}

CairoGraphics::~CairoGraphics()
{
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
}

void CairoGraphics::clipTo(const CRect& rect)
{
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_clip(cr);
}

void CairoGraphics::fillRect(const CRect& rect, const CColor& color)
{
    if (rect.isEmpty())
        return;
    setSourceColor(cr, color);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_fill(cr);
}

void CairoGraphics::strokeLine(const CPoint& from, const CPoint& to, const CColor& color, int32_t width, bool dashed)
{
    cairo_save(cr);
    setSourceColor(cr, color);
    cairo_set_line_width(cr, width);
    if (dashed) {
        const double dash[] = {double(width), double(width)};
        cairo_set_dash(cr, dash, 2, 0);
    }
    cairo_move_to(cr, from.h + 0.5, from.v + 0.5);
    cairo_line_to(cr, to.h + 0.5, to.v + 0.5);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void CairoGraphics::setFont(const FontTableEntry& entry, int32_t pixelHeight, bool bold, bool italic)
{
    cairo_select_font_face(cr, entry.family, italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    // The table's heights are character (em) heights in pixels, Cairo's font size unit.
    cairo_set_font_size(cr, pixelHeight);
}

FontMetrics CairoGraphics::getFontMetrics()
{
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    return FontMetrics{font.ascent, font.descent};
}

double CairoGraphics::getTextWidth(const char* text)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    return extents.x_advance;
}

void CairoGraphics::drawText(const char* text, const CPoint& origin, const CColor& color, const CRect& clip)
{
    cairo_save(cr);
    cairo_rectangle(cr, clip.left, clip.top, clip.width(), clip.height());
    cairo_clip(cr);
    // Text keeps Cairo's grey-level antialiasing; only shapes are drawn aliased.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    setSourceColor(cr, color);
    cairo_move_to(cr, origin.h, origin.v);
    cairo_show_text(cr, text);
    cairo_restore(cr);
}

void CairoGraphics::drawImage(PlatformImage& source, const CRect& dest, const CPoint& sourceOrigin, const CColor* transparentColor)
{
    auto& image = static_cast<CairoImage&>(source);
    cairo_surface_t* pixels = transparentColor ? image.maskedSurface(*transparentColor) : image.getSurface();
    if (!pixels || dest.isEmpty())
        return;
    cairo_surface_flush(image.getSurface());
    cairo_save(cr);
    // Opaque copies replace the pixels; transparent ones composite over them.
    if (!transparentColor)
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, pixels, dest.left - sourceOrigin.h, dest.top - sourceOrigin.v);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, dest.left, dest.top, dest.width(), dest.height());
    cairo_fill(cr);
    cairo_restore(cr);
}
