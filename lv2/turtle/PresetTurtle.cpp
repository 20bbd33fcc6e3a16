// presets.ttl and manifest.ttl: the 32 factory programs as presets, each with its
// parameters' values and a state that selects its program.
#include "lv2/Lv2Ids.h"
#include "lv2/turtle/BundleTurtle.h"
#include "programs/ParameterTable.h"

#include <algorithm>
#include <cstdio>

namespace bundle_turtle {

namespace {

constexpr const char* kPrefixes = R"(@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .

)";

std::string presetUri(int program)
{
    char number[16];  // room for any int, so no compiler sees a truncation
    std::snprintf(number, sizeof(number), "%02d", program);
    return std::string("<" TOVARINE_LV2_PRESET_PREFIX) + number + ">";
}

std::string nameOf(const ProgramRecord& record)
{
    return std::string(record.name, boundedLength(record.name, kProgramNameSize));
}

}  // namespace

void writePresets(std::ostream& out, const ProgramRecord* factory)
{
    out << kPrefixes;
    for (int p = 0; p < kNumPrograms; ++p) {
        const ProgramRecord& record = factory[p];
        out << presetUri(p) << "\n    a pset:Preset ;\n    lv2:appliesTo <" TOVARINE_LV2_URI "> ;\n"
            << "    rdfs:label " << quoted(nameOf(record)) << " ;\n    lv2:port";
        // The parameters that change nothing are left as they are, as selecting a program leaves
        // most of them; the others take the program's values (within the ports' range).
        bool first = true;
        for (int32_t k = 0; k < kNumParams; ++k) {
            if (parameter_table::info(k).use == parameter_table::Use::Unused)
                continue;
            const float value = std::clamp(record.fParams[k], parameter_table::kMinimum, parameter_table::kMaximum);
            out << (first ? " " : " ,\n        ") << "[ lv2:symbol " << quoted(parameter_table::info(k).symbol)
                << " ; pset:value " << number(value) << " ]";
            first = false;
        }
        out << " ;\n    state:state [\n        <" << lv2_ids::kProgramKey << "> \"" << p << "\"^^xsd:int\n    ] .\n\n";
    }
}

void writeManifest(std::ostream& out, const ProgramRecord* factory)
{
    out << kPrefixes;
    out << "<" TOVARINE_LV2_URI ">\n    a lv2:Plugin ;\n    lv2:binary <" << lv2_ids::kDspBinary
        << "> ;\n    rdfs:seeAlso <" << lv2_ids::kPluginTurtle << "> .\n\n";
    for (int p = 0; p < kNumPrograms; ++p)
        out << presetUri(p) << "\n    a pset:Preset ;\n    lv2:appliesTo <" TOVARINE_LV2_URI "> ;\n"
            << "    rdfs:label " << quoted(nameOf(factory[p])) << " ;\n    rdfs:seeAlso <" << lv2_ids::kPresetsTurtle
            << "> .\n\n";
}

}  // namespace bundle_turtle
