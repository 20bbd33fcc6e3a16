#include "gui/BitmapResources.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {
// A handful of images: a flat list is all the lookup needs. (A std::map would also
// export std::piecewise_construct from the plug-in as a unique symbol.)
std::vector<std::pair<int32_t, BitmapResource>>& registry()
{
    static std::vector<std::pair<int32_t, BitmapResource>> resources;
    return resources;
}

auto findEntry(int32_t id)
{
    auto& resources = registry();
    return std::find_if(resources.begin(), resources.end(), [id](const auto& entry) { return entry.first == id; });
}
}  // namespace

bool registerBitmapResource(int32_t id, const BitmapResource& resource)
{
    if (resource.width <= 0 || resource.height <= 0 || (!resource.pixels && !resource.render))
        return false;
    auto it = findEntry(id);
    if (it != registry().end())
        it->second = resource;
    else
        registry().emplace_back(id, resource);
    return true;
}

void unregisterBitmapResource(int32_t id)
{
    auto it = findEntry(id);
    if (it != registry().end())
        registry().erase(it);
}

const BitmapResource* findBitmapResource(int32_t id)
{
    auto it = findEntry(id);
    return it == registry().end() ? nullptr : &it->second;
}
