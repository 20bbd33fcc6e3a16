// The host's saved state: the raw bytes of one program record or of the
// whole store, with no header of their own. Sizes are part of the format.
#pragma once

#include "programs/ProgramRecord.h"

#include <cstdint>

constexpr int32_t kProgramChunkSize = static_cast<int32_t>(sizeof(ProgramRecord));           // 7,796
constexpr int32_t kBankChunkSize = static_cast<int32_t>(sizeof(ProgramRecord) * kNumPrograms);  // 249,472

// Points *data at the current record (isPreset) or at the whole store and
// answers the byte count; nothing is copied. Answers 0 without a store.
int32_t chunkOfStore(ProgramRecord* programs, int32_t currentProgram, void** data, bool isPreset);

// Copies a chunk into the current record or the whole store. Answers false,
// changing nothing, when the size is not exactly that of a record or of the
// store. A text field that arrives without its NUL is cut to fit, so no later
// reader runs past it; well-formed chunks stay byte-identical.
bool restoreStoreFromChunk(ProgramRecord* programs, int32_t currentProgram, const void* data, int32_t byteSize,
                           bool isPreset);

// Program names: at most 23 characters and the NUL.
void storeProgramName(ProgramRecord& record, const char* name);
// Copies the name into a host buffer of kProgramNameSize bytes.
void readProgramName(const ProgramRecord& record, char* name);

// Cuts name, tuning path and version to their fields if any lacks its NUL.
void terminateTexts(ProgramRecord& record);
