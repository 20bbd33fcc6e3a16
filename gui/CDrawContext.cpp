#include "gui/CDrawContext.h"

#include "gui/CFrame.h"
#include "gui/FontTable.h"

#include <cmath>
#include <cstdlib>

CDrawContext::CDrawContext(CFrame* frame_, std::unique_ptr<PlatformGraphics> graphics_) : frame(frame_)
{
    clipRect = frame ? frame->getViewSize() : CRect(0, 0, 1000, 1000);
    setGraphics(std::move(graphics_));
}

CDrawContext::~CDrawContext() = default;

void CDrawContext::setGraphics(std::unique_ptr<PlatformGraphics> device)
{
    graphics = std::move(device);
    if (graphics)
        setFont(0);
}

void CDrawContext::fillPixels(int32_t x, int32_t y, int32_t w, int32_t h, const CColor& color)
{
    if (!graphics || w <= 0 || h <= 0)
        return;
    graphics->fillRect(CRect(x, y, x + w, y + h).offset(drawOffset.h, drawOffset.v), color);
}

void CDrawContext::moveTo(const CPoint& point)
{
    penPosition = point;
}

void CDrawContext::lineTo(const CPoint& point)
{
    const CPoint from = penPosition;
    penPosition = point;
    if (!graphics || from == point)
        return;
    if (penWidth > 1 || lineStyle != kLineSolid) {
        graphics->strokeLine(CPoint(from).offset(drawOffset.h, drawOffset.v), CPoint(point).offset(drawOffset.h, drawOffset.v),
            frameColor, penWidth, lineStyle == kLineOnOffDash);
        return;
    }
    // One-pixel pen: Bresenham from the start pixel up to, not including, the end pixel,
    // here rather than in the device so that every platform lights the same pixels.
    if (from.v == point.v) {
        const int32_t x0 = from.h < point.h ? from.h : point.h + 1;
        fillPixels(x0, from.v, std::abs(point.h - from.h), 1, frameColor);
    } else if (from.h == point.h) {
        const int32_t y0 = from.v < point.v ? from.v : point.v + 1;
        fillPixels(from.h, y0, 1, std::abs(point.v - from.v), frameColor);
    } else {
        int32_t x = from.h, y = from.v;
        const int32_t dx = std::abs(point.h - x), sx = x < point.h ? 1 : -1;
        const int32_t dy = -std::abs(point.v - y), sy = y < point.v ? 1 : -1;
        int32_t error = dx + dy;
        while (x != point.h || y != point.v) {
            fillPixels(x, y, 1, 1, frameColor);
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
}

void CDrawContext::drawRect(const CRect& rect)
{
    if (!graphics)
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
    if (!graphics)
        return;
    const FontTableEntry& entry = fontTableEntry(fontIndex);
    graphics->setFont(entry, fontSize, entry.alwaysBold || (fontStyle & kBoldFace), (fontStyle & kItalicFace) != 0);
}

int32_t CDrawContext::getStringWidth(const char* text)
{
    if (!graphics || !text)
        return 0;
    return int32_t(std::lround(graphics->getTextWidth(text)));
}

void CDrawContext::drawString(const char* text, const CRect& rect, bool opaque, CHoriTxtAlign align)
{
    if (!graphics || !text)
        return;
    const FontMetrics font = graphics->getFontMetrics();
    const int32_t textWidth = getStringWidth(text);
    const int32_t lineHeight = int32_t(std::lround(font.ascent + font.descent));

    int32_t x = rect.left + 1;
    if (align == kCenterText)
        x = rect.left + (rect.width() - textWidth) / 2;
    else if (align == kRightText)
        x = rect.right - textWidth;
    const int32_t top = rect.top + (rect.height() - lineHeight) / 2;
    const int32_t baseline = top + int32_t(std::lround(font.ascent));

    if (opaque) {
        const CRect cell = CRect(x, top, x + textWidth, top + lineHeight).intersection(rect);
        fillPixels(cell.left, cell.top, cell.width(), cell.height(), fillColor);
    }
    graphics->drawText(text, CPoint(x + drawOffset.h, baseline + drawOffset.v), fontColor,
        CRect(rect).offset(drawOffset.h, drawOffset.v));
    if (fontStyle & kUnderlineFace)
        fillPixels(x, baseline + 1, textWidth, 1, fontColor);
}

void CDrawContext::drawImage(PlatformImage& image, const CRect& dest, const CPoint& sourceOffset, const CColor* transparentColor)
{
    if (!graphics)
        return;
    // Where the whole image lies when its sourceOffset pixel sits at dest's corner.
    const CRect placed(dest.left - sourceOffset.h, dest.top - sourceOffset.v, dest.left - sourceOffset.h + image.getWidth(),
        dest.top - sourceOffset.v + image.getHeight());
    CRect area = dest.intersection(placed);
    if (area.isEmpty())
        return;
    const CPoint origin(area.left - placed.left, area.top - placed.top);
    graphics->drawImage(image, area.offset(drawOffset.h, drawOffset.v), origin, transparentColor);
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
