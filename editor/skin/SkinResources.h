// Makes the skin images available to the view framework as bitmap resources
// 1, 100, 101 and 102, painted on first load.
#pragma once

namespace skin {

// Safe to call any number of times.
void registerSkinResources();

}  // namespace skin
