#include "gui/CFrame.h"

#include "gui/AEffGUIEditor.h"
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/COffscreenContext.h"
#include "gui/DebugCounters.h"

#include <algorithm>
#include <new>

namespace {
constexpr size_t kViewArrayStep = 20;
// More live window contexts than this at idle time means one is leaking.
constexpr int32_t kMaxWindowContexts = 28;
}  // namespace

CFrame::CFrame(const CRect& size_, void* parentWindow, AEffGUIEditor* editor) : CView(size_), pEditor(editor)
{
    pParentFrame = this;
    if (parentWindow)
        platform = createPlatformFrame(this, parentWindow, size_);
}

CFrame::CFrame(const CRect& size_, std::unique_ptr<PlatformFrame> platform_, AEffGUIEditor* editor)
    : CView(size_), pEditor(editor), platform(std::move(platform_))
{
    pParentFrame = this;
}

CFrame::~CFrame()
{
    removeAll(true);
    setBackground(nullptr);
    platform.reset();
}

void CFrame::setBackground(CBitmap* bitmap)
{
    if (bitmap)
        bitmap->remember();
    if (pBackground)
        pBackground->forget();
    pBackground = bitmap;
}

bool CFrame::addView(CView* view)
{
    if (!view)
        return false;
    try {
        if (views.size() == views.capacity())
            views.reserve(views.size() + kViewArrayStep);
        views.push_back(view);
    } catch (const std::bad_alloc&) {
        return false;
    }
    view->setParentFrame(this);
    view->attached(this);
    return true;
}

bool CFrame::removeView(CView* view, bool withForget)
{
    auto it = std::find(views.begin(), views.end(), view);
    if (it == views.end())
        return false;
    views.erase(it);
    if (pFocusView == view)
        pFocusView = nullptr;
    if (pModalView == view)
        pModalView = nullptr;
    view->removed(this);
    if (withForget)
        view->forget();
    return true;
}

bool CFrame::removeAll(bool withForget)
{
    setFocusView(nullptr);
    pModalView = nullptr;
    // Detach the list first so that views removed here never see a half-emptied frame.
    std::vector<CView*> removedViews;
    removedViews.swap(views);
    for (CView* view : removedViews) {
        view->removed(this);
        if (withForget)
            view->forget();
    }
    return true;
}

bool CFrame::isChild(CView* view) const
{
    return std::find(views.begin(), views.end(), view) != views.end();
}

CView* CFrame::getView(int32_t index) const
{
    return index >= 0 && index < getNbViews() ? views[size_t(index)] : nullptr;
}

void CFrame::setFocusView(CView* view)
{
    CView* previous = pFocusView;
    pFocusView = view;
    if (previous && previous != view)
        previous->looseFocus(nullptr);
}

void CFrame::draw(CDrawContext* context)
{
    if (pBackground)
        pBackground->draw(context, CRect(0, 0, pBackground->getWidth(), pBackground->getHeight()));
    for (CView* view : views)
        view->draw(context);
    if (pModalView)
        pModalView->draw(context);
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect)
{
    if (pBackground)
        pBackground->draw(context, updateRect, updateRect.topLeft());
    for (CView* view : views)
        if (view->checkUpdate(updateRect))
            view->drawRect(context, updateRect);
    if (pModalView)
        pModalView->drawRect(context, updateRect);
}

void CFrame::mouse(CDrawContext* context, CPoint& where)
{
    struct InMouseScope {
        bool& flag;
        bool saved;
        explicit InMouseScope(bool& f) : flag(f), saved(f) { flag = true; }
        ~InMouseScope() { flag = saved; }
    } scope(inMouse);
    setFocusView(nullptr);
    const int32_t buttons = context ? context->getMouseButtons() : 0;
    if (pModalView) {
        if (pModalView->hitTest(where, buttons))
            pModalView->mouse(context, where);
        return;
    }
    // The view may be removed from the frame while it handles the click: hold it meanwhile.
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        CView* view = *it;
        if (view->getMouseEnabled() && view->hitTest(where, buttons)) {
            view->remember();
            view->mouse(context, where);
            view->forget();
            return;
        }
    }
}

intptr_t CFrame::onKeyDown(VstKeyCode& keyCode)
{
    intptr_t result = -1;
    if (pFocusView)
        result = pFocusView->onKeyDown(keyCode);
    if (result == -1 && pModalView)
        result = pModalView->onKeyDown(keyCode);
    for (auto it = views.rbegin(); result == -1 && it != views.rend(); ++it)
        result = (*it)->onKeyDown(keyCode);
    return result;
}

intptr_t CFrame::onKeyUp(VstKeyCode& keyCode)
{
    intptr_t result = -1;
    if (pFocusView)
        result = pFocusView->onKeyUp(keyCode);
    if (result == -1 && pModalView)
        result = pModalView->onKeyUp(keyCode);
    for (auto it = views.rbegin(); result == -1 && it != views.rend(); ++it)
        result = (*it)->onKeyUp(keyCode);
    return result;
}

bool CFrame::onDrop(void** items, int32_t count, int32_t type, CPoint& where)
{
    if (pModalView || pFocusView)
        return false;
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        CView* view = *it;
        if (view->getMouseEnabled() && view->getViewSize().pointInside(where))
            return view->onDrop(items, count, type, where);
    }
    return false;
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    (void)where;
    CPoint pointer;
    getCurrentMouseLocation(pointer);
    CView* target = pModalView;
    for (auto it = views.rbegin(); !target && it != views.rend(); ++it)
        if ((*it)->getViewSize().pointInside(pointer))
            target = *it;
    if (!target)
        return false;
    if (context)
        return target->onWheel(context, pointer, distance);
    std::unique_ptr<CDrawContext> windowContext = createEventContext();
    return target->onWheel(windowContext.get(), pointer, distance);
}

bool CFrame::isDirty() const
{
    if (CView::isDirty())
        return true;
    return std::any_of(views.begin(), views.end(), [](const CView* view) { return view->isDirty(); });
}

void CFrame::setDirty(bool state)
{
    CView::setDirty(state);
    // After a full redraw nothing in the frame is stale any more.
    if (!state)
        for (CView* view : views)
            view->setDirty(false);
}

void CFrame::update(CDrawContext* context)
{
    if (pModalView) {
        pModalView->update(context);
    } else if (CView::isDirty()) {
        draw(context);
        setDirty(false);
    } else {
        for (CView* view : views)
            view->update(context);
    }
}

void CFrame::idle()
{
    if (!platform)
        return;
    // While a view tracks the mouse (this idle then runs from doIdleStuff) only painting is
    // handled; further presses and drops wait in the queue until the tracking ends.
    if (inMouse)
        platform->handlePaintEvents();
    else
        platform->handleEvents();
    if (!platform->isAlive() || firstPaintPending || !isDirty() || !platform->isViewable())
        return;
    std::unique_ptr<CDrawContext> context(platform->createDrawContext());
    if (!context)
        return;
    if (guiDebugCounters().windowContexts > kMaxWindowContexts)
        guiDebugMessage("nbEC is %d in frame.doIdle\n", guiDebugCounters().windowContexts);
    update(context.get());
}

void CFrame::doIdleStuff()
{
    if (pEditor)
        pEditor->doIdleStuff();
}

void CFrame::beginEdit(int32_t tag)
{
    if (pEditor)
        pEditor->beginEdit(tag);
}

void CFrame::endEdit(int32_t tag)
{
    if (pEditor)
        pEditor->endEdit(tag);
}

int32_t CFrame::getCurrentMouseButtons()
{
    return platform ? platform->getButtonState() : 0;
}

void CFrame::getCurrentMouseLocation(CPoint& where)
{
    where = platform ? platform->getMousePosition() : CPoint();
}

CDrawContext* CFrame::createDrawContext()
{
    return platform && platform->isAlive() ? platform->createDrawContext() : nullptr;
}

std::unique_ptr<CDrawContext> CFrame::createEventContext()
{
    std::unique_ptr<CDrawContext> context(createDrawContext());
    if (!context)
        context = std::make_unique<COffscreenContext>(this, 1, 1);
    return context;
}

void CFrame::windowPainted(CDrawContext* context, const CRect& updateRect)
{
    firstPaintPending = false;
    drawRect(context, updateRect);
}

void CFrame::windowMouseDown(const CPoint& where)
{
    std::unique_ptr<CDrawContext> context = createEventContext();
    CPoint point = where;
    mouse(context.get(), point);
}
