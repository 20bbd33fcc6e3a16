// A control that shows its value as text over a filled, outlined box (or a bitmap).
#pragma once

#include "gui/CColor.h"
#include "gui/CControl.h"
#include "gui/CDrawContext.h"
#include "gui/FontTable.h"

// Style bits of CParamDisplay and COptionMenu.
enum CParamDisplayStyle : int32_t {
    kShadowText = 0x04,
    k3DIn = 0x08,
    k3DOut = 0x10,
    kNoTextStyle = 0x20,
    kNoFrame = 0x40,
    kPopupStyle = 0x200,          // the menu opens at the click point
    kCheckStyle = 0x400,          // the current entry is checked
    kMultipleCheckStyle = 0xC00,  // every entry keeps its own check mark
    kNoDrawStyle = 0x1000,        // draws nothing at all
};

class CParamDisplay : public CControl {
public:
    using StringConvert = void (*)(float value, char* text);
    using StringConvertWithData = void (*)(float value, char* text, void* userData);
    using String2FloatConvert = void (*)(char* text, float& value, void* userData);

    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);

    void draw(CDrawContext* context) override;

    virtual void setFont(int32_t fontIndex);
    virtual void setFontColor(const CColor& color);
    virtual void setBackColor(const CColor& color);
    virtual void setFrameColor(const CColor& color);
    virtual void setShadowColor(const CColor& color);
    virtual void setHoriAlign(CHoriTxtAlign align);
    virtual void setStringConvert(StringConvert convert);
    virtual void setStringConvert(StringConvertWithData convert, void* userData);
    virtual void setString2FloatConvert(String2FloatConvert convert);
    virtual void setStyle(int32_t newStyle);
    virtual void setTxtFace(int32_t face);
    virtual void setTextTransparency(bool transparent);

    int32_t getFont() const { return fontIndex; }
    CColor getFontColor() const { return fontColor; }
    CColor getBackColor() const { return backColor; }
    CColor getFrameColor() const { return frameColor; }
    CColor getShadowColor() const { return shadowColor; }
    CHoriTxtAlign getHoriAlign() const { return horiTxtAlign; }
    int32_t getStyle() const { return style; }
    int32_t getTxtFace() const { return txtFace; }
    bool getTextTransparency() const { return textTransparent; }

    // "%2.2f" of the value in the C locale, whatever the host's locale is.
    static void formatValue(float value, char* text, size_t capacity);

protected:
    // Background, frame and text as this display's style asks.
    void drawText(CDrawContext* context, const char* text);

    CHoriTxtAlign horiTxtAlign = kCenterText;
    int32_t style;
    int32_t fontIndex = kNormalFont;
    int32_t txtFace = kNormalFace;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    CColor shadowColor = kRedCColor;
    bool textTransparent = true;
    StringConvert stringConvert = nullptr;
    StringConvertWithData stringConvertWithData = nullptr;
    void* userData = nullptr;
    String2FloatConvert string2FloatConvert = nullptr;
};
