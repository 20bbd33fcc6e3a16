#include "platform/win32/GdiGraphics.h"

#include "gui/FontTable.h"
#include "platform/win32/GdiImage.h"
#include "platform/win32/Msimg32.h"

#include <cstring>

namespace {
COLORREF colorRef(const CColor& color)
{
    return RGB(color.red, color.green, color.blue);
}
}  // namespace

GdiGraphics::GdiGraphics(HDC dc_) : dc(dc_)
{
    SetBkMode(dc, TRANSPARENT);
}

GdiGraphics::~GdiGraphics()
{
    if (font) {
        SelectObject(dc, previousFont);
        DeleteObject(font);
    }
}

void GdiGraphics::fillRect(const CRect& rect, const CColor& color)
{
    if (rect.isEmpty())
        return;
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    SetDCBrushColor(dc, colorRef(color));
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void GdiGraphics::strokeLine(const CPoint& from, const CPoint& to, const CColor& color, int32_t width, bool dashed)
{
    LOGBRUSH brush{BS_SOLID, colorRef(color), 0};
    const DWORD dash[] = {DWORD(width), DWORD(width)};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | (dashed ? PS_USERSTYLE : PS_SOLID), DWORD(width), &brush,
        dashed ? 2 : 0, dashed ? dash : nullptr);
    if (!pen)
        return;
    HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, from.h, from.v, nullptr);
    LineTo(dc, to.h, to.v);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

void GdiGraphics::setFont(const FontTableEntry& entry, int32_t pixelHeight, bool bold, bool italic)
{
    HFONT created = CreateFontA(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE, DEFAULT_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, entry.face);
    if (!created)
        return;
    HGDIOBJ replaced = SelectObject(dc, created);
    if (font)
        DeleteObject(font);
    else
        previousFont = replaced;
    font = created;
}

FontMetrics GdiGraphics::getFontMetrics()
{
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    return FontMetrics{double(metrics.tmAscent), double(metrics.tmDescent)};
}

double GdiGraphics::getTextWidth(const char* text)
{
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &extent);
    return extent.cx;
}

void GdiGraphics::drawText(const char* text, const CPoint& origin, const CColor& color, const CRect& clip)
{
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    SetTextColor(dc, colorRef(color));
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    TextOutA(dc, origin.h, origin.v, text, int(std::strlen(text)));
    RestoreDC(dc, saved);
}

void GdiGraphics::drawImage(PlatformImage& source, const CRect& dest, const CPoint& sourceOrigin, const CColor* transparentColor)
{
    HDC sourceDC = static_cast<GdiImage&>(source).getDC();
    if (!transparentColor) {
        BitBlt(dc, dest.left, dest.top, dest.width(), dest.height(), sourceDC, sourceOrigin.h, sourceOrigin.v, SRCCOPY);
    } else if (TransparentBltFunction transparentBlt = transparentBltFunction()) {
        transparentBlt(dc, dest.left, dest.top, dest.width(), dest.height(), sourceDC, sourceOrigin.h, sourceOrigin.v,
            dest.width(), dest.height(), colorRef(*transparentColor));
    } else {
        drawMasked(sourceDC, dest, sourceOrigin, colorRef(*transparentColor));
    }
}

void GdiGraphics::drawMasked(HDC source, const CRect& dest, const CPoint& sourceOrigin, COLORREF key)
{
    // A one-bit mask, set where the source has the key colour; then invert, and, invert
    // on the destination leaves the keyed pixels as they were.
    const int w = dest.width(), h = dest.height();
    HDC maskDC = CreateCompatibleDC(dc);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    if (!maskDC || !mask) {
        if (mask)
            DeleteObject(mask);
        if (maskDC)
            DeleteDC(maskDC);
        return;
    }
    HGDIOBJ previousMask = SelectObject(maskDC, mask);
    const COLORREF sourceBack = SetBkColor(source, key);
    BitBlt(maskDC, 0, 0, w, h, source, sourceOrigin.h, sourceOrigin.v, SRCCOPY);
    SetBkColor(source, sourceBack);
    const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, dest.left, dest.top, w, h, source, sourceOrigin.h, sourceOrigin.v, SRCINVERT);
    BitBlt(dc, dest.left, dest.top, w, h, maskDC, 0, 0, SRCAND);
    BitBlt(dc, dest.left, dest.top, w, h, source, sourceOrigin.h, sourceOrigin.v, SRCINVERT);
    SetBkColor(dc, back);
    SetTextColor(dc, text);
    SelectObject(maskDC, previousMask);
    DeleteObject(mask);
    DeleteDC(maskDC);
}
