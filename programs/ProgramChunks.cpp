#include "programs/ProgramChunks.h"

#include <cstring>

namespace {
bool isProgramIndex(int32_t index)
{
    return index >= 0 && index < kNumPrograms;
}

void terminateField(char* text, std::size_t fieldSize)
{
    if (boundedLength(text, fieldSize) == fieldSize)
        text[fieldSize - 1] = '\0';
}
}  // namespace

int32_t chunkOfStore(ProgramRecord* programs, int32_t currentProgram, void** data, bool isPreset)
{
    if (!programs || !data || !isProgramIndex(currentProgram))
        return 0;
    if (isPreset) {
        *data = &programs[currentProgram];
        return kProgramChunkSize;
    }
    *data = programs;
    return kBankChunkSize;
}

bool restoreStoreFromChunk(ProgramRecord* programs, int32_t currentProgram, const void* data, int32_t byteSize,
                           bool isPreset)
{
    if (!programs || !data || !isProgramIndex(currentProgram))
        return false;
    if (isPreset) {
        if (byteSize != kProgramChunkSize)
            return false;
        std::memmove(&programs[currentProgram], data, sizeof(ProgramRecord));
        terminateTexts(programs[currentProgram]);
        return true;
    }
    if (byteSize != kBankChunkSize)
        return false;
    std::memmove(programs, data, sizeof(ProgramRecord) * kNumPrograms);
    for (int k = 0; k < kNumPrograms; ++k)
        terminateTexts(programs[k]);
    return true;
}

void storeProgramName(ProgramRecord& record, const char* name)
{
    copyText(record.name, sizeof(record.name), name);
}

void readProgramName(const ProgramRecord& record, char* name)
{
    if (!name)
        return;
    const std::size_t length = boundedLength(record.name, sizeof(record.name) - 1);
    std::memcpy(name, record.name, length);
    name[length] = '\0';
}

void terminateTexts(ProgramRecord& record)
{
    terminateField(record.name, sizeof(record.name));
    terminateField(record.tuningMapPath, sizeof(record.tuningMapPath));
    terminateField(record.version, sizeof(record.version));
}
