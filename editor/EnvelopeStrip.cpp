#include "editor/EnvelopeStrip.h"

#include "gui/COffscreenContext.h"

#include <algorithm>
#include <new>

EnvelopeStrip::EnvelopeStrip(const CRect& size_, const CColor& zero, const CColor& full, int32_t count_)
    : CControl(size_, nullptr, 0, nullptr), zeroColour(zero), fullColour(full), count(count_)
{
    backgroundImage.reset(new (std::nothrow) COffscreenContext(nullptr, size.width(), size.height(), zeroColour));
    rebuildBackground();
}

EnvelopeStrip::~EnvelopeStrip() = default;

bool EnvelopeStrip::attached(CView* parent)
{
    if (!workImage)
        workImage.reset(new (std::nothrow) COffscreenContext(nullptr, size.width(), size.height(), zeroColour));
    return CControl::attached(parent);
}

bool EnvelopeStrip::removed(CView* parent)
{
    workImage.reset();
    return CControl::removed(parent);
}

void EnvelopeStrip::setValues(const float* source, int32_t n)
{
    if (!source)
        return;
    std::copy_n(source, std::clamp(n, 0, kValueCapacity), values);
    setDirty();
}

void EnvelopeStrip::setCount(int32_t n)
{
    count = n;
    rebuildBackground();
}

CColor EnvelopeStrip::cellColour(float level) const
{
    // Levels come from the audio thread unguarded; keep the blend inside the two colours.
    const float v = std::clamp(level, 0.f, 1.f);
    auto mix = [v](uint8_t zero, uint8_t full) { return uint8_t((1.f - v) * float(zero) + v * float(full)); };
    return CColor{mix(zeroColour.red, fullColour.red), mix(zeroColour.green, fullColour.green),
        mix(zeroColour.blue, fullColour.blue), 0};
}

void EnvelopeStrip::rebuildBackground()
{
    count = std::clamp(count, 1, kMaxCount);
    cellWidth = std::max(size.width() / count, 1);
    setDirty();
    if (!backgroundImage || !backgroundImage->isValid())
        return;
    backgroundImage->setFillColor(zeroColour);
    backgroundImage->fillRect(CRect(-1, -1, size.width(), size.height()));
    backgroundImage->setFrameColor(zeroColour);
    backgroundImage->drawRect(CRect(0, 0, size.width() - 1, size.height() - 1));
}

void EnvelopeStrip::draw(CDrawContext* context)
{
    if (context && workImage && workImage->isValid() && backgroundImage && backgroundImage->isValid()) {
        const int32_t h = size.height();
        workImage->copyTo(backgroundImage.get(), CRect(0, 0, size.width(), h));
        for (int32_t i = 0; i < count; ++i) {
            // Wide cells keep a wider gap: pixels i*w+1 .. (i+1)*w-1, or i*w+3 .. (i+1)*w-3.
            int32_t x0 = i * cellWidth + 1;
            int32_t x1 = (i + 1) * cellWidth;
            if (cellWidth > 10) {
                x0 = i * cellWidth + 3;
                x1 = (i + 1) * cellWidth - 2;
            }
            workImage->setFillColor(cellColour(values[i]));
            workImage->fillRect(CRect(x0 - 1, 1, x1, h - 1));  // rows 2 .. h - 2
        }
        workImage->copyFrom(context, size);
    }
    setDirty(false);
}
