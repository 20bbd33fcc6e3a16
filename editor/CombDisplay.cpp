#include "editor/CombDisplay.h"

#include "gui/CControlListener.h"
#include "gui/CFrame.h"
#include "gui/COffscreenContext.h"
#include "gui/FontTable.h"
#include "gui/InputState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

namespace {
// Where the title goes, relative to the view: one line, vertically centred.
constexpr CRect kTitleArea{6, 0, 200, 20};
}  // namespace

CombDisplay::CombDisplay(const CRect& size_, CControlListener* listener_, int32_t drawTag_, int32_t menuTag_,
    const CColor& background, const CColor& grid, const CColor& bar, int32_t columns_, int32_t rows_)
    : COptionMenu(size_, listener_, menuTag_, nullptr, nullptr, kNoDrawStyle | kPopupStyle), drawTag(drawTag_),
      menuTag(menuTag_), backgroundColour(background), gridColour(grid), barColour(bar), columns(columns_),
      rows(rows_)
{
    std::fill(std::begin(outValues), std::end(outValues), 1.f);
    gridImage.reset(new (std::nothrow) COffscreenContext(nullptr, size.width(), size.height(), backgroundColour));
    rebuildGrid();
}

CombDisplay::~CombDisplay() = default;

bool CombDisplay::attached(CView* parent)
{
    if (!workImage)
        workImage.reset(new (std::nothrow) COffscreenContext(nullptr, size.width(), size.height(), backgroundColour));
    return COptionMenu::attached(parent);
}

bool CombDisplay::removed(CView* parent)
{
    workImage.reset();
    return COptionMenu::removed(parent);
}

void CombDisplay::setTitle(const char* text)
{
    std::snprintf(title, sizeof(title), "%s", text ? text : "");
}

void CombDisplay::getValues(float* destination, int32_t count) const
{
    if (!destination)
        return;
    std::copy_n(values, std::clamp(count, 0, kValueCapacity - 1), destination);
}

void CombDisplay::setValues(const float* source, int32_t count)
{
    if (!source)
        return;
    std::copy_n(source, std::clamp(count, 0, kValueCapacity), values);
    // A cheap fingerprint as the control value: it changes (and the view becomes dirty)
    // whenever one of the first five bars changes.
    float sum = 0.f;
    for (int32_t i = 0; i < 5; ++i)
        sum += values[i];
    value = 0.2f * sum;
}

void CombDisplay::setOutValues(const float* source, int32_t count)
{
    if (source)
        std::copy_n(source, std::clamp(count, 0, kValueCapacity), outValues);
}

void CombDisplay::setColumns(int32_t count)
{
    columns = count;
    rebuildGrid();
}

void CombDisplay::setRows(int32_t count)
{
    rows = count;
    rebuildGrid();
}

float CombDisplay::getColumnValue(int32_t column) const
{
    return column >= 0 && column < kValueCapacity ? values[column] : 0.f;
}

CColor CombDisplay::dimmedColour() const
{
    // A quarter of the way from the background to the bar colour.
    return CColor{uint8_t((barColour.red + 3 * backgroundColour.red) / 4),
        uint8_t((barColour.green + 3 * backgroundColour.green) / 4),
        uint8_t((barColour.blue + 3 * backgroundColour.blue) / 4), 0};
}

void CombDisplay::rebuildGrid()
{
    columns = std::clamp(columns, 1, kMaxColumns);
    rows = std::max(rows, 0);
    const int32_t w = size.width();
    const int32_t h = size.height();
    columnWidth = std::max(w / columns, 1);
    rowHeight = rows ? h / rows : 0;
    if (columns >= rows)
        gridEnd = columns * columnWidth;
    setDirty();
    if (!gridImage || !gridImage->isValid())
        return;

    COffscreenContext& g = *gridImage;
    g.setFillColor(backgroundColour);
    g.fillRect(CRect(-1, -1, w, h));
    g.setFrameColor(gridColour);
    g.drawRect(CRect(0, 0, w - 1, h - 1));
    for (int32_t k = 1; k <= columns; ++k) {
        g.moveTo(CPoint(k * columnWidth, 1));
        g.lineTo(CPoint(k * columnWidth, h - 1));
    }
    for (int32_t k = 1; rows > 0 && k <= rows; ++k) {
        g.moveTo(CPoint(1, k * rowHeight));
        g.lineTo(CPoint(w - 1, k * rowHeight));
    }
}

void CombDisplay::paintBars(CDrawContext* target)
{
    const int32_t h = size.height();
    const int32_t barArea = getBarAreaHeight();
    const CColor dimmed = dimmedColour();
    for (int32_t i = 0; i < columns; ++i) {
        const float v = values[i];
        CColor fill = barColour;
        if (outValues[i] == 0.f)
            fill = dimmed;  // a silent resonator stays dim even where it was just drawn
        else if (i == lastEditedColumn)
            fill = kHighlightColour;
        int32_t m;
        if (rows < 2)
            m = int32_t(std::floor(float(barArea) * v));
        else
            m = int32_t(std::floor(float(rows - 2) * v)) * rowHeight + 1;
        int32_t x0 = i * columnWidth;
        int32_t x1 = x0 + columnWidth;
        if (columnWidth > 10) {
            x0 += 2;
            x1 -= 2;
        }
        if (m > 0) {
            // Pixels x0 + 1 .. x1 - 1 and rows h - 1 - m .. h - 3: the grid line at x0 and
            // the bottom outline stay visible, and m = 1 fills nothing.
            target->setFillColor(fill);
            target->fillRect(CRect(x0, h - 2 - m, x1, h - 2));
        }
    }
    target->setFont(kNormalFontSmall);
    target->setFontColor(barColour);
    target->drawString(title, kTitleArea, false, kLeftText);
}

void CombDisplay::draw(CDrawContext* context)
{
    if (context && workImage && workImage->isValid() && gridImage && gridImage->isValid()) {
        const CRect local(0, 0, size.width(), size.height());
        workImage->copyTo(gridImage.get(), local);
        paintBars(workImage.get());
        workImage->copyFrom(context, size);
    }
    setDirty(false);
}

void CombDisplay::notifyDrawListener(CDrawContext* context)
{
    if (!isDirty() || !listener)
        return;
    tag = drawTag;
    listener->valueChanged(context, this);
    tag = menuTag;
}

void CombDisplay::mouse(CDrawContext* context, CPoint& where)
{
    if (!bMouseEnabled || !pParentFrame || !context)
        return;
    const int32_t buttons = context->getMouseButtons();
    if (buttons == (kLButton | kControl)) {
        const float previous = value;
        value = defaultValue;
        if (value != previous && listener)
            listener->valueChanged(context, this);
        return;
    }
    if (buttons & kRButton) {
        COptionMenu::mouse(context, where);
        return;
    }
    if (buttons & kLButton)
        drawWithMouse(context, where, buttons);
}

void CombDisplay::drawWithMouse(CDrawContext* context, CPoint& where, int32_t pressState)
{
    const float h = float(size.height());
    pParentFrame->beginEdit(drawTag);
    const bool shiftMode = (pressState & kShift) != 0;
    float previous = 1.f - float(where.v - size.top) / h;
    int32_t buttons = pressState;
    do {
        int32_t column = int32_t(std::floor(float(where.h - size.left) * float(columns) / float(gridEnd)));
        column = std::clamp(column, 0, columns - 1);
        const float raw = 1.f - float(where.v - size.top) / h;
        const float level = std::clamp(raw, 0.f, kMaxDrawnLevel);
        if (shiftMode) {
            // Moves every bar by the vertical travel since the last step.
            const float delta = raw - previous;
            for (int32_t i = 0; i < columns; ++i)
                values[i] = std::clamp(values[i] + delta, 0.f, 1.f);
            previous = raw;
        } else {
            values[column] = level;
        }
        lastEditedColumn = column;
        value = (columns > 1 ? float(column) / float(columns - 1) : 0.f) + level * kLevelFraction;
        notifyDrawListener(context);

        context->getMouseLocation(where);
        doIdleStuff();
        buttons = context->getMouseButtons();
    } while (buttons & kLButton);
    pParentFrame->endEdit(drawTag);
}
