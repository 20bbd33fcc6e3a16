#include "gui/CDrawContext.h"

#include "gui/CFrame.h"
#include "gui/FontTable.h"

#include <cairo.h>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
void setSourceColor(cairo_t* cr, const CColor& color)
{
    cairo_set_source_rgb(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
}
}  // namespace

CDrawContext::CDrawContext(CFrame* frame_, cairo_surface_t* surface_) : frame(frame_), surface(surface_)
{
    clipRect = frame ? frame->getViewSize() : CRect(0, 0, 1000, 1000);
    if (!surface)
        return;
    cairo_surface_reference(surface);
    cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        cr = nullptr;
        return;
    }
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    setFont(0);
}

CDrawContext::~CDrawContext()
{
    if (cr)
        cairo_destroy(cr);
    if (surface) {
        cairo_surface_flush(surface);
        cairo_surface_destroy(surface);
    }
}

void CDrawContext::fillPixels(int32_t x, int32_t y, int32_t w, int32_t h, const CColor& color)
{
    if (!cr || w <= 0 || h <= 0)
        return;
    setSourceColor(cr, color);
    cairo_rectangle(cr, x + drawOffset.h, y + drawOffset.v, w, h);
    cairo_fill(cr);
}

void CDrawContext::moveTo(const CPoint& point)
{
    penPosition = point;
}

void CDrawContext::lineTo(const CPoint& point)
{
    const CPoint from = penPosition;
    penPosition = point;
    if (!cr || from == point)
        return;
    if (penWidth > 1 || lineStyle != kLineSolid) {
        // Wide or dashed pens: a stroke along the pixel centres.
        cairo_save(cr);
        setSourceColor(cr, frameColor);
        cairo_set_line_width(cr, penWidth);
        if (lineStyle == kLineOnOffDash) {
            const double dash[] = {double(penWidth), double(penWidth)};
            cairo_set_dash(cr, dash, 2, 0);
        }
        cairo_move_to(cr, from.h + drawOffset.h + 0.5, from.v + drawOffset.v + 0.5);
        cairo_line_to(cr, point.h + drawOffset.h + 0.5, point.v + drawOffset.v + 0.5);
        cairo_stroke(cr);
        cairo_restore(cr);
        return;
    }
    // One-pixel pen: Bresenham from the start pixel up to, not including, the end pixel.
    setSourceColor(cr, frameColor);
    if (from.v == point.v) {
        const int32_t x0 = from.h < point.h ? from.h : point.h + 1;
        cairo_rectangle(cr, x0 + drawOffset.h, from.v + drawOffset.v, std::abs(point.h - from.h), 1);
    } else if (from.h == point.h) {
        const int32_t y0 = from.v < point.v ? from.v : point.v + 1;
        cairo_rectangle(cr, from.h + drawOffset.h, y0 + drawOffset.v, 1, std::abs(point.v - from.v));
    } else {
        int32_t x = from.h, y = from.v;
        const int32_t dx = std::abs(point.h - x), sx = x < point.h ? 1 : -1;
        const int32_t dy = -std::abs(point.v - y), sy = y < point.v ? 1 : -1;
        int32_t error = dx + dy;
        while (x != point.h || y != point.v) {
            cairo_rectangle(cr, x + drawOffset.h, y + drawOffset.v, 1, 1);
            const int32_t e2 = 2 * error;
            if (e2 >= dy) {
                error += dy;
                x += sx;
            }
            if (e2 <= dx) {
                error += dx;
                y += sy;
            }
        }
    }
    cairo_fill(cr);
}

void CDrawContext::drawRect(const CRect& rect)
{
    if (!cr)
        return;
    if (penWidth > 1 || lineStyle != kLineSolid) {
        moveTo(rect.topLeft());
        lineTo(CPoint(rect.right, rect.top));
        lineTo(CPoint(rect.right, rect.bottom));
        lineTo(CPoint(rect.left, rect.bottom));
        lineTo(rect.topLeft());
        return;
    }
    const int32_t w = rect.right - rect.left + 1;
    const int32_t h = rect.bottom - rect.top + 1;
    if (w <= 0 || h <= 0)
        return;
    fillPixels(rect.left, rect.top, w, 1, frameColor);
    fillPixels(rect.left, rect.bottom, w, 1, frameColor);
    fillPixels(rect.left, rect.top, 1, h, frameColor);
    fillPixels(rect.right, rect.top, 1, h, frameColor);
    penPosition = rect.topLeft();
}

void CDrawContext::fillRect(const CRect& rect)
{
    fillPixels(rect.left + 1, rect.top + 1, rect.width() - 1, rect.height() - 1, fillColor);
}

void CDrawContext::setFont(int32_t index, int32_t size, int32_t style)
{
    if (index < 0 || index >= kNumFonts)
        index = 0;
    const FontTableEntry& entry = fontTableEntry(index);
    fontIndex = index;
    fontSize = size > 0 ? size : entry.pixelHeight;
    fontStyle = style;
    applyFont();
}

void CDrawContext::applyFont()
{
    if (!cr)
        return;
    const FontTableEntry& entry = fontTableEntry(fontIndex);
    const bool bold = entry.alwaysBold || (fontStyle & kBoldFace);
    cairo_select_font_face(cr, entry.family, (fontStyle & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    // The table's heights are character (em) heights in pixels, Cairo's font size unit.
    cairo_set_font_size(cr, fontSize);
}

int32_t CDrawContext::getStringWidth(const char* text)
{
    if (!cr || !text)
        return 0;
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    return int32_t(std::lround(extents.x_advance));
}

void CDrawContext::drawString(const char* text, const CRect& rect, bool opaque, CHoriTxtAlign align)
{
    if (!cr || !text)
        return;
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    const int32_t textWidth = getStringWidth(text);
    const int32_t lineHeight = int32_t(std::lround(font.ascent + font.descent));

    int32_t x = rect.left + 1;
    if (align == kCenterText)
        x = rect.left + (rect.width() - textWidth) / 2;
    else if (align == kRightText)
        x = rect.right - textWidth;
    const int32_t top = rect.top + (rect.height() - lineHeight) / 2;
    const int32_t baseline = top + int32_t(std::lround(font.ascent));

    cairo_save(cr);
    cairo_rectangle(cr, rect.left + drawOffset.h, rect.top + drawOffset.v, rect.width(), rect.height());
    cairo_clip(cr);
    if (opaque)
        fillPixels(x, top, textWidth, lineHeight, fillColor);
    // Text keeps Cairo's grey-level antialiasing; only shapes are drawn aliased.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    setSourceColor(cr, fontColor);
    cairo_move_to(cr, x + drawOffset.h, baseline + drawOffset.v);
    cairo_show_text(cr, text);
    cairo_restore(cr);
    if (fontStyle & kUnderlineFace)
        fillPixels(x, baseline + 1, textWidth, 1, fontColor);
}

int32_t CDrawContext::getMouseButtons()
{
    return frame ? frame->getCurrentMouseButtons() : 0;
}

void CDrawContext::getMouseLocation(CPoint& point)
{
    if (frame)
        frame->getCurrentMouseLocation(point);
    else
        point = CPoint();
}
