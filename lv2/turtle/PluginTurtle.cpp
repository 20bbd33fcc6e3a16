// Tovarine.ttl: the plug-in, its features and extensions, its two file parameters and its 48 ports.
#include "TovarineVersion.h"
#include "lv2/Lv2Ids.h"
#include "lv2/turtle/BundleTurtle.h"
#include "programs/ParameterTable.h"

namespace bundle_turtle {

namespace {

constexpr const char* kPrefixes = R"(@prefix atom: <http://lv2plug.in/ns/ext/atom#> .
@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .
@prefix doap: <http://usefulinc.com/ns/doap#> .
@prefix foaf: <http://xmlns.com/foaf/0.1/> .
@prefix log: <http://lv2plug.in/ns/ext/log#> .
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix midi: <http://lv2plug.in/ns/ext/midi#> .
@prefix opts: <http://lv2plug.in/ns/ext/options#> .
@prefix patch: <http://lv2plug.in/ns/ext/patch#> .
@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .
@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix time: <http://lv2plug.in/ns/ext/time#> .
@prefix urid: <http://lv2plug.in/ns/ext/urid#> .
@prefix work: <http://lv2plug.in/ns/ext/worker#> .

)";

// A file the host may choose for the plug-in (FileParameters.h).
void writePathParameter(std::ostream& out, const char* uri, const char* label)
{
    out << "<" << uri << ">\n    a lv2:Parameter ;\n    rdfs:label " << quoted(label) << " ;\n    rdfs:range atom:Path .\n\n";
}

void writeAudioPort(std::ostream& out, int index, const char* direction, const char* symbol, const char* name)
{
    out << "    [\n        a lv2:AudioPort , lv2:" << direction << " ;\n        lv2:index " << index
        << " ;\n        lv2:symbol " << quoted(symbol) << " ;\n        lv2:name " << quoted(name) << " ;\n    ] ,\n";
}

void writeParameterPort(std::ostream& out, int32_t k, float defaultValue)
{
    const parameter_table::ParameterInfo& p = parameter_table::info(k);
    out << "    [\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << lv2_ids::kFirstParameterPort + k
        << " ;\n        lv2:symbol " << quoted(p.symbol) << " ;\n        lv2:name " << quoted(p.title)
        << " ;\n        lv2:default " << number(defaultValue) << " ;\n        lv2:minimum "
        << number(parameter_table::kMinimum) << " ;\n        lv2:maximum " << number(parameter_table::kMaximum)
        << " ;\n";
    if (p.use == parameter_table::Use::Unused)
        out << "        lv2:portProperty pprops:notOnGUI ;\n";
    if (p.menu) {
        out << "        lv2:portProperty lv2:enumeration ;\n        lv2:scalePoint";
        for (int32_t i = 0; i < p.menuSize; ++i)
            out << (i ? " ,\n            " : " ") << "[ rdfs:label " << quoted(p.menu[i].label) << " ; rdf:value "
                << number(p.menu[i].value) << " ]";
        out << " ;\n";
    }
    out << "    ]" << (k + 1 < kNumParams ? " ,\n" : " .\n");
}

}  // namespace

void writePlugin(std::ostream& out, const ProgramRecord& startProgram)
{
    out << kPrefixes;
    out << "<" TOVARINE_LV2_URI "#project>\n    a doap:Project ;\n    doap:name \"Tovarine 88 Resonator\" ;\n"
           "    doap:maintainer [\n        a foaf:Person ;\n        foaf:name \"Tovarine\" ;\n"
           "        foaf:homepage <https://tovarine.org/> ;\n    ] .\n\n";
    // The state keys a preset's state holds.
    out << "<" << lv2_ids::kProgramKey << ">\n    a rdf:Property ;\n    rdfs:label \"program\" ;\n"
           "    rdfs:comment \"The program selected, 0 to 31.\" .\n\n";
    out << "<" << lv2_ids::kBankKey << ">\n    a rdf:Property ;\n    rdfs:label \"bank\" ;\n"
           "    rdfs:comment \"The 32 programs, as the bank chunk of the VST 2 build.\" .\n\n";
    writePathParameter(out, lv2_ids::kTuningFileParameter, "Tuning map");
    writePathParameter(out, lv2_ids::kImpulseFileParameter, "Impulse response (16 bit .WAV)");
    out << "<" TOVARINE_LV2_URI ">\n    a lv2:Plugin , lv2:CombPlugin ;\n"
           "    doap:name \"Tovarine 88 Resonator\" ;\n"
           "    lv2:project <" TOVARINE_LV2_URI "#project> ;\n"
        << "    lv2:minorVersion " << versionPart(TOVARINE_VERSION, 1) << " ;\n    lv2:microVersion "
        << versionPart(TOVARINE_VERSION, 2)
        << " ;\n"
           // Restore hands its result to the audio thread at a block boundary, so it may run
           // beside run; hosts that take this as the cue to prepare their worker for restore
           // (jalv) would otherwise call a worker they never started.
           "    lv2:requiredFeature urid:map , bufsz:boundedBlockLength ;\n"
           "    lv2:optionalFeature lv2:hardRTCapable , opts:options , log:log , work:schedule , state:mapPath ,\n"
           "        state:freePath , state:threadSafeRestore ;\n"
           "    opts:supportedOption bufsz:maxBlockLength ;\n"
           "    lv2:extensionData state:interface , work:interface ;\n"
        << "    patch:writable <" << lv2_ids::kTuningFileParameter << "> , <" << lv2_ids::kImpulseFileParameter
        << "> ;\n"
        << "    lv2:port\n";
    writeAudioPort(out, lv2_ids::kInLeftPort, "InputPort", "in_l", "In left");
    writeAudioPort(out, lv2_ids::kInRightPort, "InputPort", "in_r", "In right");
    writeAudioPort(out, lv2_ids::kOutLeftPort, "OutputPort", "out_l", "Out left");
    writeAudioPort(out, lv2_ids::kOutRightPort, "OutputPort", "out_r", "Out right");
    out << "    [\n        a atom:AtomPort , lv2:InputPort ;\n        atom:bufferType atom:Sequence ;\n"
           "        atom:supports midi:MidiEvent , time:Position , patch:Message ;\n        lv2:designation lv2:control ;\n"
        << "        lv2:index " << lv2_ids::kEventsPort
        << " ;\n        lv2:symbol \"events\" ;\n        lv2:name \"Events\" ;\n    ] ,\n";
    for (int32_t k = 0; k < kNumParams; ++k)
        writeParameterPort(out, k, startProgram.fParams[k]);
}

}  // namespace bundle_turtle
