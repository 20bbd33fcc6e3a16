// ui.ttl and the manifest's entry for the editor's UI.
#pragma once

#include <ostream>

namespace bundle_turtle {

void writeUi(std::ostream& out);
void writeUiManifestEntry(std::ostream& out);

}  // namespace bundle_turtle
