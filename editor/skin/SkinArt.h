// The editor's skin, drawn in code with Cairo the first time it is needed:
// no image files to ship or load. Ids are the editor's bitmap resource ids.
#pragma once

#include "editor/skin/SkinLayout.h"

#include <cairo.h>

namespace skin {

// A new RGB24 image of the resource, or null for an unknown id. The caller owns it.
cairo_surface_t* createSkinImage(int resourceId);

}  // namespace skin
