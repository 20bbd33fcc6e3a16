#include "gui/CKnob.h"

#include "gui/AEffGUIEditor.h"
#include "gui/CBitmap.h"
#include "gui/CControlListener.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/InputState.h"

#include <cmath>
#include <memory>
#include <numbers>

namespace {
constexpr double kPi = std::numbers::pi;
// Pixels of linear travel (right plus up) for the whole value range; times the zoom
// factor with Shift held.
constexpr float kLinearRangePixels = 200.f;
}  // namespace

CKnob::CKnob(const CRect& size_, CControlListener* listener_, int32_t tag_, CBitmap* background, CBitmap* handle,
    const CPoint& offset_)
    : CControl(size_, listener_, tag_, background), offset(offset_), startAngle(float(5.0 * kPi / 4.0)),
      rangeAngle(float(-3.0 * kPi / 2.0)), radius(float(size_.width()) / 2.f)
{
    setHandleBitmap(handle);
    compute();
}

CKnob::~CKnob()
{
    if (pHandle)
        pHandle->forget();
}

void CKnob::setHandleBitmap(CBitmap* bitmap)
{
    if (bitmap)
        bitmap->remember();
    if (pHandle)
        pHandle->forget();
    pHandle = bitmap;
    // The handle's centre keeps half its width plus a margin from the rim.
    inset = pHandle ? int32_t(float(pHandle->getWidth()) / 2.f + 2.5f) : 3;
}

void CKnob::setStartAngle(float angle)
{
    startAngle = angle;
    compute();
}

void CKnob::setRangeAngle(float angle)
{
    rangeAngle = angle;
    compute();
}

void CKnob::setMin(float minimum)
{
    CControl::setMin(minimum);
    compute();
}

void CKnob::setMax(float maximum)
{
    CControl::setMax(maximum);
    compute();
}

void CKnob::compute()
{
    aCoef = (vmax - vmin) / rangeAngle;
    bCoef = vmin - aCoef * startAngle;
    halfAngle = float((2.0 * kPi - std::fabs(rangeAngle)) / 2.0);
    setDirty();
}

void CKnob::valueToPoint(CPoint& point) const
{
    // An empty value range (or sweep) leaves the handle at the start angle.
    const double alpha = aCoef != 0.f && std::isfinite(aCoef) ? (value - bCoef) / aCoef : startAngle;
    point.h = int32_t(radius + std::cos(alpha) * (radius - inset) + 0.5);
    point.v = int32_t(radius - std::sin(alpha) * (radius - inset) + 0.5);
}

float CKnob::valueFromPoint(const CPoint& point) const
{
    double alpha = std::atan2(radius - point.v, point.h - radius);
    if (alpha < 0.)
        alpha += 2. * kPi;
    const double range = std::fabs(rangeAngle);
    if (range == 0.)
        return vmin;
    // Angle travelled from the start in the knob's direction of rotation, 0..2π.
    double travel = rangeAngle < 0 ? startAngle - alpha : alpha - startAngle;
    travel = std::fmod(travel, 2. * kPi);
    if (travel < 0.)
        travel += 2. * kPi;
    if (travel <= range)
        return float(vmin + (vmax - vmin) * (travel / range));
    // Dead zone: the first half past the end belongs to the end, the second to the start.
    return travel - range < halfAngle ? vmax : vmin;
}

void CKnob::draw(CDrawContext* context)
{
    if (pBackground) {
        const CRect dest = size;
        if (bTransparencyEnabled)
            pBackground->drawTransparent(context, dest, offset);
        else
            pBackground->draw(context, dest, offset);
    }
    drawHandle(context);
    setDirty(false);
}

void CKnob::drawHandle(CDrawContext* context)
{
    CPoint where;
    valueToPoint(where);
    if (pHandle) {
        const int32_t w = pHandle->getWidth() / 2;
        const int32_t h = pHandle->getHeight() / 2;
        where.offset(size.left - w, size.top - h);
        const CRect handleSize(where.h, where.v, where.h + pHandle->getWidth(), where.v + pHandle->getHeight());
        pHandle->drawTransparent(context, handleSize);
        return;
    }
    CPoint origin(size.width() / 2, size.height() / 2);
    where.offset(size.left - 1, size.top);
    origin.offset(size.left - 1, size.top);
    context->setFrameColor(colorShadow);
    context->moveTo(origin);
    context->lineTo(where);
    where.offset(1, -1);
    origin.offset(1, -1);
    context->setFrameColor(colorHandle);
    context->moveTo(origin);
    context->lineTo(where);
}

void CKnob::notifyIfChanged(CDrawContext* context, float previous)
{
    if (value != previous && listener)
        listener->valueChanged(context, this);
}

void CKnob::mouse(CDrawContext* context, CPoint& where)
{
    if (!bMouseEnabled || !context)
        return;
    int32_t buttons = context->getMouseButtons();
    if (!(buttons & kLButton))
        return;
    if (buttons == (kLButton | kControl)) {
        const float previous = value;
        value = defaultValue;
        notifyIfChanged(context, previous);
        return;
    }

    beginEdit();
    if (pParentFrame)
        pParentFrame->setFocusView(this);

    const int32_t mode = AEffGUIEditor::getKnobMode();
    const bool circular = (mode != kLinearMode && !(buttons & kAlt)) || (mode == kLinearMode && (buttons & kAlt));

    CPoint firstPoint = where;
    CPoint lastPoint(-1, -1);
    float startValue = value;
    float range = kLinearRangePixels * ((buttons & kShift) ? zoomFactor : 1.f);
    float coef = (vmax - vmin) / range;
    int32_t oldButtons = buttons;

    do {
        buttons = context->getMouseButtons();
        if (where != lastPoint) {
            const CPoint previousPoint = lastPoint;
            lastPoint = where;
            const float previous = value;
            if (circular) {
                const CPoint local(where.h - size.left, where.v - size.top);
                const float newValue = valueFromPoint(local);
                // A jump across the dead zone keeps the value at the end it came from.
                if (std::fabs(newValue - previous) > (vmax - vmin) / 2.f)
                    value = previous - vmin > (vmax - vmin) / 2.f ? vmax : vmin;
                else
                    value = newValue;
            } else {
                if ((oldButtons & kShift) != (buttons & kShift)) {
                    // Changing precision continues from the last point and value at the new rate.
                    range = kLinearRangePixels * ((buttons & kShift) ? zoomFactor : 1.f);
                    coef = (vmax - vmin) / range;
                    startValue = value;
                    firstPoint = previousPoint;
                    oldButtons = buttons;
                }
                value = startValue + float((where.h - firstPoint.h) + (firstPoint.v - where.v)) * coef;
            }
            bounceValue();
            notifyIfChanged(context, previous);
        }
        context->getMouseLocation(where);
        doIdleStuff();
    } while (buttons & kLButton);

    endEdit();
}

bool CKnob::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    (void)where;
    if (!bMouseEnabled)
        return false;
    const float previous = value;
    const bool fine = context && (context->getMouseButtons() & kShift);
    value += distance * wheelInc * (fine ? 0.1f : 1.f);
    bounceValue();
    notifyIfChanged(context, previous);
    return true;
}

intptr_t CKnob::onKeyDown(VstKeyCode& keyCode)
{
    float step = wheelInc * ((keyCode.modifier & MODIFIER_SHIFT) ? 0.1f : 1.f);
    switch (keyCode.virt) {
    case VKEY_LEFT:
    case VKEY_DOWN:
        step = -step;
        break;
    case VKEY_RIGHT:
    case VKEY_UP:
        break;
    default:
        return -1;
    }
    const float previous = value;
    value += step;
    bounceValue();
    if (value != previous && listener) {
        if (pParentFrame) {
            std::unique_ptr<CDrawContext> context = pParentFrame->createEventContext();
            listener->valueChanged(context.get(), this);
        } else {
            listener->valueChanged(nullptr, this);
        }
    }
    return 1;
}
