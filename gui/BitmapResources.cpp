#include "gui/BitmapResources.h"

#include <map>

namespace {
std::map<int32_t, BitmapResource>& registry()
{
    static std::map<int32_t, BitmapResource> resources;
    return resources;
}
}  // namespace

bool registerBitmapResource(int32_t id, const BitmapResource& resource)
{
    if (resource.width <= 0 || resource.height <= 0 || (!resource.pixels && !resource.render))
        return false;
    registry()[id] = resource;
    return true;
}

void unregisterBitmapResource(int32_t id)
{
    registry().erase(id);
}

const BitmapResource* findBitmapResource(int32_t id)
{
    auto it = registry().find(id);
    return it == registry().end() ? nullptr : &it->second;
}
