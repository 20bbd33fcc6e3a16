#include "programs/ParameterText.h"

#include "programs/DecimalText.h"
#include "programs/ProgramRecord.h"

namespace parameter_text {

namespace {
bool isParameter(int32_t index)
{
    return index >= 0 && index < kNumParams;
}

const char* nameOf(int32_t index)
{
    switch (index) {
    case 20: return "Fb Lvl.";
    case 21: return "Fb Vel.";
    case 22: return "Fb Dist.";
    case 23: return "Fb Cut.";
    case 25: return "Fb Dsc";
    case 26: return "Fb Attk";
    case 27: return "Fb Decy";
    case 28: return "Fb Sust";
    case 29: return "Fb Rels";
    case 30: return "Out Lvl";
    case 31: return "Mix (Wet)";
    default: return "paramname";  // the editor has its own captions for these
    }
}
}  // namespace

void name(int32_t index, char* text)
{
    copyText(text, kNameBufferSize, isParameter(index) ? nameOf(index) : "");
}

void label(int32_t index, char* text)
{
    copyText(text, kLabelBufferSize, isParameter(index) ? "        " : "");
}

void display(int32_t index, float value, char* text)
{
    if (!text)
        return;
    if (!isParameter(index)) {
        text[0] = '\0';
        return;
    }
    formatFixed(value, 4, text, kDisplayBufferSize);
}

}  // namespace parameter_text
