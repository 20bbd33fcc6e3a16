// On Windows the skin images are bitmap resources of the DLL (rendered to BMP from the
// skin art at build time), which CBitmap loads through the module handle: nothing is
// registered in code.
#include "editor/skin/SkinResources.h"

namespace skin {

void registerSkinResources() {}

}  // namespace skin
