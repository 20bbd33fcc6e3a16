// The bar display: one vertical bar per resonator showing one per-resonator
// setting. The left button draws the bars (Shift moves all of them together),
// Ctrl-click resets the control value, and the right button opens the
// editor's command menu, which this view carries as an option menu.
//
// The static part (fill, outline, grid) lives in its own offscreen image, so a
// redraw is a block copy, one fill per bar, the title and one copy out.
#pragma once

#include "gui/COptionMenu.h"

#include <memory>

class COffscreenContext;

class CombDisplay : public COptionMenu {
public:
    static constexpr int32_t kMaxColumns = 1023;
    static constexpr int32_t kValueCapacity = 1024;
    static constexpr size_t kTitleCapacity = 256;
    // Added to the control value per unit of level while drawing, so that any change of
    // column or level changes the value and makes the view dirty.
    static constexpr float kLevelFraction = 1.f / 8192.f;
    // Drawing stops just below the top: the highest level a click can set.
    static constexpr float kMaxDrawnLevel = 0.999f;
    // The column the mouse drew last stands out in this colour.
    static constexpr CColor kHighlightColour{255, 255, 96, 0};

    CombDisplay(const CRect& size, CControlListener* listener, int32_t drawTag, int32_t menuTag,
        const CColor& background, const CColor& grid, const CColor& bar, int32_t columns, int32_t rows);
    ~CombDisplay() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where) override;
    bool attached(CView* parent) override;
    bool removed(CView* parent) override;

    virtual void setTitle(const char* text);
    virtual void getValues(float* destination, int32_t count) const;
    virtual void setValues(const float* source, int32_t count);
    virtual void setOutValues(const float* source, int32_t count);
    virtual void setColumns(int32_t count);
    virtual void setRows(int32_t count);
    virtual void setType(int32_t newType) { type = newType; }
    virtual int32_t getType() const { return type; }

    const char* getTitle() const { return title; }
    int32_t getColumns() const { return columns; }
    int32_t getRows() const { return rows; }
    int32_t getColumnWidth() const { return columnWidth; }
    int32_t getBarAreaHeight() const { return size.height() - 2; }
    int32_t getLastEditedColumn() const { return lastEditedColumn; }
    float getColumnValue(int32_t column) const;
    // The fill colour of a bar drawn for an Out value of 0.
    CColor dimmedColour() const;

protected:
    virtual void rebuildGrid();

private:
    void drawWithMouse(CDrawContext* context, CPoint& where, int32_t pressState);
    void notifyDrawListener(CDrawContext* context);
    void paintBars(CDrawContext* target);

    int32_t drawTag;
    int32_t menuTag;
    CColor backgroundColour;
    CColor gridColour;
    CColor barColour;
    int32_t columns = 0;
    int32_t rows = 0;
    int32_t columnWidth = 1;
    int32_t rowHeight = 0;
    int32_t gridEnd = 1;
    int32_t lastEditedColumn = -1;
    int32_t type = 0;
    float values[kValueCapacity] = {};
    float outValues[kValueCapacity];
    char title[kTitleCapacity] = {};
    std::unique_ptr<COffscreenContext> gridImage;
    std::unique_ptr<COffscreenContext> workImage;
};
