#include "lv2/ui/UiTurtle.h"

#include "lv2/ui/UiIds.h"

namespace bundle_turtle {

void writeUiManifestEntry(std::ostream& out)
{
    // Hosts find a plug-in's UIs from its own description, read before any other file.
    out << "<" TOVARINE_LV2_URI ">\n    <http://lv2plug.in/ns/extensions/ui#ui> <" << lv2_ui_ids::kUiUri << "> .\n\n";
    out << "<" << lv2_ui_ids::kUiUri << ">\n    a <http://lv2plug.in/ns/extensions/ui#X11UI> ;\n"
        << "    <http://lv2plug.in/ns/extensions/ui#binary> <" << lv2_ui_ids::kUiBinary << "> ;\n"
        << "    <http://www.w3.org/2000/01/rdf-schema#seeAlso> <" << lv2_ui_ids::kUiTurtle << "> .\n\n";
}

void writeUi(std::ostream& out)
{
    // The editor works on the plug-in object itself (instance-access); the ports carry
    // every parameter change to the host.
    out << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n\n"
        << "<" TOVARINE_LV2_URI ">\n    ui:ui <" << lv2_ui_ids::kUiUri << "> .\n\n"
        << "<" << lv2_ui_ids::kUiUri << ">\n    a ui:X11UI ;\n    ui:binary <" << lv2_ui_ids::kUiBinary << "> ;\n"
        << "    lv2:requiredFeature <http://lv2plug.in/ns/ext/instance-access> ;\n"
           "    lv2:optionalFeature ui:parent , ui:resize , ui:touch , ui:idleInterface , ui:noUserResize ,\n"
           "        ui:requestValue , <http://lv2plug.in/ns/ext/urid#map> ;\n"
           "    lv2:extensionData ui:idleInterface , ui:showInterface .\n";
}

}  // namespace bundle_turtle
