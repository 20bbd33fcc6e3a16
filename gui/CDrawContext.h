// A drawing context: pen, brush and font state over a platform graphics device (a
// window or an offscreen image). Rectangles and lines are drawn aliased on whole
// pixels; all coordinates are shifted by the drawing offset.
#pragma once

#include "gui/CColor.h"
#include "gui/CRect.h"
#include "gui/PlatformGraphics.h"

#include <cstdint>
#include <memory>

class CFrame;

enum CHoriTxtAlign : int32_t { kLeftText = 0, kCenterText = 1, kRightText = 2 };
enum CLineStyle : int32_t { kLineSolid = 0, kLineOnOffDash = 1 };

class CDrawContext {
public:
    // A null frame is allowed (offscreen drawing); a null device draws nothing.
    CDrawContext(CFrame* frame, std::unique_ptr<PlatformGraphics> graphics);
    virtual ~CDrawContext();

    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    void moveTo(const CPoint& point);
    // Draws from the pen position to point, the end pixel excluded, and moves the pen there.
    void lineTo(const CPoint& point);
    // Outline through the four corners: the pixels of left..right and top..bottom, edges included.
    void drawRect(const CRect& rect);
    // Fills from left + 1, top + 1 to right, bottom (exclusive), without an outline.
    void fillRect(const CRect& rect);
    // One line, vertically centred; left-aligned text starts one pixel in. Opaque text
    // first fills the text's cell with the fill colour.
    void drawString(const char* text, const CRect& rect, bool opaque = false, CHoriTxtAlign align = kCenterText);
    int32_t getStringWidth(const char* text);

    void setLineStyle(CLineStyle style) { lineStyle = style; }
    CLineStyle getLineStyle() const { return lineStyle; }
    void setLineWidth(int32_t width) { penWidth = width < 1 ? 1 : width; }
    int32_t getLineWidth() const { return penWidth; }
    void setFillColor(const CColor& color) { fillColor = color; }
    CColor getFillColor() const { return fillColor; }
    void setFrameColor(const CColor& color) { frameColor = color; }
    CColor getFrameColor() const { return frameColor; }
    void setFontColor(const CColor& color) { fontColor = color; }
    CColor getFontColor() const { return fontColor; }
    // size 0 takes the table's size; an index outside 0..7 means 0.
    void setFont(int32_t fontIndex, int32_t size = 0, int32_t style = 0);
    int32_t getFont() const { return fontIndex; }
    int32_t getFontSize() const { return fontSize; }

    void setOffset(const CPoint& offset) { drawOffset = offset; }
    CPoint getOffset() const { return drawOffset; }
    void setWindowOffset(const CPoint& offset) { windowOffset = offset; }
    CPoint getWindowOffset() const { return windowOffset; }
    // Stored for views that want it; drawing is limited only by the surface and by the
    // update area the window system gives when painting.
    void setClipRect(const CRect& clip) { clipRect = clip; }
    CRect getClipRect() const { return clipRect; }

    // The current button state word and the pointer position relative to the frame's
    // window; 0 and (0, 0) without a window.
    int32_t getMouseButtons();
    void getMouseLocation(CPoint& point);

    // Copies the image from sourceOffset into dest (shifted by the drawing offset); only
    // the part of dest the image covers changes. With a transparent colour, pixels of
    // exactly that colour are left out. For bitmaps and offscreen copies.
    void drawImage(PlatformImage& image, const CRect& dest, const CPoint& sourceOffset, const CColor* transparentColor = nullptr);

    CFrame* getFrame() const { return frame; }
    PlatformGraphics* getGraphics() const { return graphics.get(); }

protected:
    // For contexts that make their device after construction; applies the current font.
    void setGraphics(std::unique_ptr<PlatformGraphics> device);
    void fillPixels(int32_t x, int32_t y, int32_t w, int32_t h, const CColor& color);
    void applyFont();

    CFrame* frame;
    std::unique_ptr<PlatformGraphics> graphics;
    CPoint windowOffset;
    CPoint drawOffset;
    CPoint penPosition;
    CRect clipRect;
    int32_t fontIndex = 0;
    int32_t fontSize = 12;
    int32_t fontStyle = 0;
    int32_t penWidth = 1;
    CLineStyle lineStyle = kLineSolid;
    CColor fontColor = kWhiteCColor;
    CColor frameColor = kWhiteCColor;
    CColor fillColor = kBlackCColor;
};
