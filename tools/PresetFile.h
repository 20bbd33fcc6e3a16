// The standard VST preset files hosts exchange: .fxp holds one program and
// .fxb a bank. Both start with a big-endian header; chunk files ('FPCh',
// 'FBCh') then carry the plug-in's opaque chunk, parameter files ('FxCk')
// the normalised parameter values.
//
//   .fxp  'CcnK' byteSize 'FPCh' version fxID fxVersion numParams name[28] chunkSize chunk   (60-byte header)
//   .fxb  'CcnK' byteSize 'FBCh' version fxID fxVersion numPrograms future[128] chunkSize chunk (160-byte header)
//
// byteSize counts everything after itself (file size - 8). Bank version 2
// carries the current program in the first word of future[].
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovarine::cli {

enum class PresetKind { Program, Bank };

struct PresetFile {
    PresetKind kind = PresetKind::Program;
    int32_t pluginId = 0;
    int32_t pluginVersion = 0;
    int32_t count = 0;           // parameters (program) or programs (bank)
    std::string name;            // program files only
    int32_t currentProgram = 0;  // bank files of version 2 only
    bool isChunk = true;         // false: an 'FxCk' program of parameter values
    std::vector<uint8_t> chunk;
    std::vector<float> params;   // 'FxCk' only
};

constexpr std::size_t kProgramHeaderSize = 60;
constexpr std::size_t kBankHeaderSize = 160;

// Parses a whole file's bytes; throws ToolError naming `what` (the file) on
// a foreign, truncated or inconsistent file.
PresetFile parsePresetFile(const std::vector<uint8_t>& bytes, const std::string& what);
std::vector<uint8_t> serialisePresetFile(const PresetFile& file);

}  // namespace tovarine::cli
