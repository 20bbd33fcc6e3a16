#include "gui/FrameSnapshot.h"

#include "gui/CFrame.h"
#include "gui/COffscreenContext.h"

bool saveFrameAsPng(CFrame* frame, const char* path)
{
    if (!frame || !path)
        return false;
    const CRect size = frame->getViewSize();
    COffscreenContext context(frame, size.width(), size.height(), kBlackCColor);
    if (!context.isValid())
        return false;
    context.setOffset(CPoint(-size.left, -size.top));
    frame->draw(&context);
    return context.writePng(path);
}
