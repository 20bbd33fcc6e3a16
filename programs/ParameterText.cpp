#include "programs/ParameterText.h"

#include "programs/DecimalText.h"
#include "programs/ParameterTable.h"
#include "programs/ProgramRecord.h"

namespace parameter_text {

namespace {
bool isParameter(int32_t index)
{
    return index >= 0 && index < kNumParams;
}
}  // namespace

void name(int32_t index, char* text)
{
    copyText(text, kNameBufferSize, parameter_table::info(index).hostName);
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
