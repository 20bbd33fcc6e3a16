#include "tools/PresetFile.h"

#include "host/Vst2.h"
#include "tools/ToolError.h"

#include <cstring>

namespace tovarine::cli {

namespace {

constexpr int32_t kChunkMagic = vstFourCC('C', 'c', 'n', 'K');
constexpr int32_t kProgramChunkMagic = vstFourCC('F', 'P', 'C', 'h');
constexpr int32_t kBankChunkMagic = vstFourCC('F', 'B', 'C', 'h');
constexpr int32_t kProgramParamsMagic = vstFourCC('F', 'x', 'C', 'k');
constexpr int32_t kBankParamsMagic = vstFourCC('F', 'x', 'B', 'k');
constexpr std::size_t kNameSize = 28;

int32_t readBigEndian(const std::vector<uint8_t>& bytes, std::size_t offset)
{
    return static_cast<int32_t>((static_cast<uint32_t>(bytes[offset]) << 24) | (static_cast<uint32_t>(bytes[offset + 1]) << 16)
                                | (static_cast<uint32_t>(bytes[offset + 2]) << 8) | static_cast<uint32_t>(bytes[offset + 3]));
}

void appendBigEndian(std::vector<uint8_t>& bytes, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<uint8_t>(v >> shift));
}

float floatFromBits(int32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

int32_t bitsFromFloat(float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

}  // namespace

PresetFile parsePresetFile(const std::vector<uint8_t>& bytes, const std::string& what)
{
    if (bytes.size() < 4 || readBigEndian(bytes, 0) != kChunkMagic)
        throw ToolError(what + ": not a VST preset file (no 'CcnK' header)");
    if (bytes.size() < 28)
        throw ToolError(what + ": wrong size: truncated after " + std::to_string(bytes.size()) + " bytes");
    const int32_t byteSize = readBigEndian(bytes, 4);
    if (byteSize < 0 || static_cast<std::size_t>(byteSize) != bytes.size() - 8)
        throw ToolError(what + ": wrong size: the header announces " + std::to_string(static_cast<long long>(byteSize) + 8)
                        + " bytes, the file has " + std::to_string(bytes.size()));
    PresetFile file;
    const int32_t fxMagic = readBigEndian(bytes, 8);
    file.pluginId = readBigEndian(bytes, 16);
    file.pluginVersion = readBigEndian(bytes, 20);
    file.count = readBigEndian(bytes, 24);
    const int32_t formatVersion = readBigEndian(bytes, 12);

    if (fxMagic == kProgramChunkMagic || fxMagic == kProgramParamsMagic) {
        file.kind = PresetKind::Program;
        if (bytes.size() < 56)
            throw ToolError(what + ": wrong size: a truncated program file (" + std::to_string(bytes.size()) + " bytes)");
        const char* name = reinterpret_cast<const char*>(bytes.data() + 28);
        file.name.assign(name, strnlen(name, kNameSize));
        if (fxMagic == kProgramParamsMagic) {
            file.isChunk = false;
            if (file.count < 0 || bytes.size() != 56 + 4 * static_cast<std::size_t>(file.count))
                throw ToolError(what + ": wrong size for " + std::to_string(file.count) + " parameters");
            for (int32_t i = 0; i < file.count; ++i)
                file.params.push_back(floatFromBits(readBigEndian(bytes, 56 + 4 * static_cast<std::size_t>(i))));
            return file;
        }
        if (bytes.size() < kProgramHeaderSize)
            throw ToolError(what + ": wrong size: a truncated program file (" + std::to_string(bytes.size()) + " bytes)");
        const int32_t chunkSize = readBigEndian(bytes, 56);
        if (chunkSize < 0 || static_cast<std::size_t>(chunkSize) != bytes.size() - kProgramHeaderSize)
            throw ToolError(what + ": wrong size: the chunk size field says " + std::to_string(chunkSize) + " bytes, the file holds "
                            + std::to_string(bytes.size() - kProgramHeaderSize));
        file.chunk.assign(bytes.begin() + kProgramHeaderSize, bytes.end());
        return file;
    }
    if (fxMagic == kBankChunkMagic) {
        file.kind = PresetKind::Bank;
        if (bytes.size() < kBankHeaderSize)
            throw ToolError(what + ": wrong size: a truncated bank file (" + std::to_string(bytes.size()) + " bytes)");
        if (formatVersion >= 2)
            file.currentProgram = readBigEndian(bytes, 28);
        const int32_t chunkSize = readBigEndian(bytes, 156);
        if (chunkSize < 0 || static_cast<std::size_t>(chunkSize) != bytes.size() - kBankHeaderSize)
            throw ToolError(what + ": wrong size: the chunk size field says " + std::to_string(chunkSize) + " bytes, the file holds "
                            + std::to_string(bytes.size() - kBankHeaderSize));
        file.chunk.assign(bytes.begin() + kBankHeaderSize, bytes.end());
        return file;
    }
    if (fxMagic == kBankParamsMagic)
        throw ToolError(what + ": banks of parameter values ('FxBk') are not supported, only chunk banks ('FBCh')");
    throw ToolError(what + ": not a VST program or bank (unknown type '" + std::string(reinterpret_cast<const char*>(bytes.data() + 8), 4)
                    + "')");
}

std::vector<uint8_t> serialisePresetFile(const PresetFile& file)
{
    std::vector<uint8_t> bytes;
    const bool bank = file.kind == PresetKind::Bank;
    const std::size_t payload = file.isChunk ? 4 + file.chunk.size() : 4 * file.params.size();
    const std::size_t total = (bank ? kBankHeaderSize - 4 : 56) + payload;
    bytes.reserve(total);
    appendBigEndian(bytes, kChunkMagic);
    appendBigEndian(bytes, static_cast<int32_t>(total - 8));
    appendBigEndian(bytes, bank ? kBankChunkMagic : (file.isChunk ? kProgramChunkMagic : kProgramParamsMagic));
    appendBigEndian(bytes, bank ? 2 : 1);
    appendBigEndian(bytes, file.pluginId);
    appendBigEndian(bytes, file.pluginVersion);
    appendBigEndian(bytes, file.count);
    if (bank) {
        appendBigEndian(bytes, file.currentProgram);
        bytes.resize(bytes.size() + 124, 0);
    } else {
        char name[kNameSize] = {};
        std::strncpy(name, file.name.c_str(), kNameSize - 1);
        bytes.insert(bytes.end(), name, name + kNameSize);
    }
    if (file.isChunk) {
        appendBigEndian(bytes, static_cast<int32_t>(file.chunk.size()));
        bytes.insert(bytes.end(), file.chunk.begin(), file.chunk.end());
    } else {
        for (float value : file.params)
            appendBigEndian(bytes, bitsFromFloat(value));
    }
    return bytes;
}

}  // namespace tovarine::cli
