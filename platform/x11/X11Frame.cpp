#include "gui/PlatformFrame.h"

std::unique_ptr<PlatformFrame> createPlatformFrame(CFrame*, void*, const CRect&)
{
    return nullptr;
}
