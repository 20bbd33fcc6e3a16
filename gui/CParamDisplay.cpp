#include "gui/CParamDisplay.h"

#include "gui/CBitmap.h"

#include <charconv>
#include <cstring>

CParamDisplay::CParamDisplay(const CRect& size_, CBitmap* background, int32_t style_)
    : CControl(size_, nullptr, 0, background), style(style_)
{
}

void CParamDisplay::formatValue(float value, char* text, size_t capacity)
{
    if (!text || capacity == 0)
        return;
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, 2);
    size_t length = result.ec == std::errc() ? size_t(result.ptr - buffer) : 0;
    // "%2.2f": at least two characters wide, padded on the left.
    size_t pad = length < 2 ? 2 - length : 0;
    size_t out = 0;
    for (; out < pad && out + 1 < capacity; ++out)
        text[out] = ' ';
    for (size_t i = 0; i < length && out + 1 < capacity; ++i)
        text[out++] = buffer[i];
    text[out] = '\0';
}

void CParamDisplay::draw(CDrawContext* context)
{
    char text[256] = {};
    if (stringConvertWithData)
        stringConvertWithData(value, text, userData);
    else if (stringConvert)
        stringConvert(value, text);
    else
        formatValue(value, text, sizeof(text));
    text[sizeof(text) - 1] = '\0';
    drawText(context, text);
    setDirty(false);
}

void CParamDisplay::drawText(CDrawContext* context, const char* text)
{
    if (!context || (style & kNoDrawStyle))
        return;
    if (pBackground) {
        if (bTransparencyEnabled)
            pBackground->drawTransparent(context, size, backOffset);
        else
            pBackground->draw(context, size, backOffset);
    } else {
        context->setFillColor(backColor);
        context->fillRect(size);
        if (!(style & (k3DIn | k3DOut | kNoFrame))) {
            context->setFrameColor(frameColor);
            context->drawRect(size);
        }
    }
    if (style & (k3DIn | k3DOut)) {
        // Light and dark edges, swapped between raised and sunken.
        const CColor light = (style & k3DIn) ? kBlackCColor : kWhiteCColor;
        const CColor dark = (style & k3DIn) ? kWhiteCColor : kBlackCColor;
        context->setFrameColor(light);
        context->moveTo(CPoint(size.left, size.bottom));
        context->lineTo(CPoint(size.left, size.top));
        context->lineTo(CPoint(size.right + 1, size.top));
        context->setFrameColor(dark);
        context->moveTo(CPoint(size.right, size.top + 1));
        context->lineTo(CPoint(size.right, size.bottom));
        context->lineTo(CPoint(size.left, size.bottom));
    }
    if (style & kNoTextStyle)
        return;
    context->setFont(fontIndex, 0, txtFace);
    if (style & kShadowText) {
        CRect shadowRect = size;
        shadowRect.offset(1, 1);
        context->setFontColor(shadowColor);
        context->drawString(text, shadowRect, !textTransparent, horiTxtAlign);
    }
    context->setFontColor(fontColor);
    context->drawString(text, size, !textTransparent, horiTxtAlign);
}

void CParamDisplay::setFont(int32_t index)
{
    if (fontIndex != index) {
        fontIndex = index;
        setDirty();
    }
}

void CParamDisplay::setFontColor(const CColor& color)
{
    if (!(fontColor == color)) {
        fontColor = color;
        setDirty();
    }
}

void CParamDisplay::setBackColor(const CColor& color)
{
    if (!(backColor == color)) {
        backColor = color;
        setDirty();
    }
}

void CParamDisplay::setFrameColor(const CColor& color)
{
    if (!(frameColor == color)) {
        frameColor = color;
        setDirty();
    }
}

void CParamDisplay::setShadowColor(const CColor& color)
{
    if (!(shadowColor == color)) {
        shadowColor = color;
        setDirty();
    }
}

void CParamDisplay::setHoriAlign(CHoriTxtAlign align)
{
    if (horiTxtAlign != align) {
        horiTxtAlign = align;
        setDirty();
    }
}

void CParamDisplay::setStringConvert(StringConvert convert)
{
    if (stringConvert != convert || stringConvertWithData) {
        stringConvert = convert;
        stringConvertWithData = nullptr;
        setDirty();
    }
}

void CParamDisplay::setStringConvert(StringConvertWithData convert, void* data)
{
    if (stringConvertWithData != convert || userData != data) {
        stringConvertWithData = convert;
        userData = data;
        stringConvert = nullptr;
        setDirty();
    }
}

void CParamDisplay::setString2FloatConvert(String2FloatConvert convert)
{
    string2FloatConvert = convert;
}

void CParamDisplay::setStyle(int32_t newStyle)
{
    if (style != newStyle) {
        style = newStyle;
        setDirty();
    }
}

void CParamDisplay::setTxtFace(int32_t face)
{
    if (txtFace != face) {
        txtFace = face;
        setDirty();
    }
}

void CParamDisplay::setTextTransparency(bool transparent)
{
    if (textTransparent != transparent) {
        textTransparent = transparent;
        setDirty();
    }
}
