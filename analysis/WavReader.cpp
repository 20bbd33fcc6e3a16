#include "analysis/WavReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kFormatPcm = 1;
constexpr std::uint32_t kFormatFloat = 3;
constexpr std::uint32_t kFormatExtensible = 0xFFFE;

std::uint32_t le16(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}

std::uint32_t le32(const unsigned char* p)
{
    return le16(p) | le16(p + 2) << 16;
}

bool isTag(const unsigned char* p, const char* tag)
{
    return std::memcmp(p, tag, 4) == 0;
}

std::size_t bytesOf(WavReader::Encoding encoding)
{
    switch (encoding) {
    case WavReader::Encoding::UnsignedInt8: return 1;
    case WavReader::Encoding::Int16: return 2;
    case WavReader::Encoding::Int24: return 3;
    case WavReader::Encoding::Int32: return 4;
    case WavReader::Encoding::Float32: return 4;
    case WavReader::Encoding::Float64: return 8;
    case WavReader::Encoding::None: break;
    }
    return 0;
}

// The container size decides the decoding; fewer valid bits (20 bits in a
// 24-bit container) are left-justified and read the same way.
WavReader::Encoding encodingOf(std::uint32_t sampleFormat, std::uint32_t bitsPerSample)
{
    const std::uint32_t containerBits = (bitsPerSample + 7) / 8 * 8;
    if (sampleFormat == kFormatPcm) {
        switch (containerBits) {
        case 8: return WavReader::Encoding::UnsignedInt8;
        case 16: return WavReader::Encoding::Int16;
        case 24: return WavReader::Encoding::Int24;
        case 32: return WavReader::Encoding::Int32;
        default: break;
        }
    } else if (sampleFormat == kFormatFloat) {
        if (bitsPerSample == 32)
            return WavReader::Encoding::Float32;
        if (bitsPerSample == 64)
            return WavReader::Encoding::Float64;
    }
    return WavReader::Encoding::None;
}

float decode(const unsigned char* p, WavReader::Encoding encoding)
{
    switch (encoding) {
    case WavReader::Encoding::UnsignedInt8:
        return static_cast<float>(static_cast<int>(p[0]) - 128) / 128.0f;
    case WavReader::Encoding::Int16:
        return static_cast<float>(static_cast<std::int16_t>(le16(p))) / 32768.0f;
    case WavReader::Encoding::Int24: {
        // Shift the 24 bits to the top of a 32-bit word to sign-extend them.
        const std::uint32_t raw = (le16(p) | static_cast<std::uint32_t>(p[2]) << 16) << 8;
        return static_cast<float>(static_cast<std::int32_t>(raw) >> 8) / 8388608.0f;
    }
    case WavReader::Encoding::Int32:
        return static_cast<float>(static_cast<double>(static_cast<std::int32_t>(le32(p))) / 2147483648.0);
    case WavReader::Encoding::Float32: {
        const std::uint32_t bits = le32(p);
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }
    case WavReader::Encoding::Float64: {
        const std::uint64_t bits = le32(p) | static_cast<std::uint64_t>(le32(p + 4)) << 32;
        double value;
        std::memcpy(&value, &bits, sizeof(value));
        return static_cast<float>(value);
    }
    case WavReader::Encoding::None: break;
    }
    return 0.0f;
}

} // namespace

void WavReader::close()
{
    if (file)
        std::fclose(file);
    file = nullptr;
    path.clear();
}

void WavReader::resetHeader()
{
    fmtOffset = 0;
    dataOffset = 0;
    valid = false;
    stereo = false;
    fileSampleRate = 0;
    byteRate = 0;
    blockAlign = 0;
    bitsPerSample = 0;
    dataSize = 0;
    channels = 0;
    formatCode = 0;
    encoding = Encoding::None;
    fileSize = 0;
    streamPosition = -1;
}

bool WavReader::readAt(std::int64_t offset, void* buffer, std::size_t size)
{
    if (!file || offset < 0 || offset + static_cast<std::int64_t>(size) > fileSize)
        return false;
    // Samples are mostly read in order: a read that continues where the last
    // one ended is served from the stream's buffer without a seek (a seek
    // is a system call and drops the buffer).
    if (offset != streamPosition && fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) {
        streamPosition = -1;
        return false;
    }
    if (std::fread(buffer, 1, size, file) != size) {
        streamPosition = -1;
        return false;
    }
    streamPosition = offset + static_cast<std::int64_t>(size);
    return true;
}

void WavReader::open(const char* newPath)
{
    close();
    resetHeader();
    if (!newPath)
        return;
    path = newPath;
    file = std::fopen(newPath, "rb");
    if (!file)
        return;
    if (fseeko(file, 0, SEEK_END) != 0)
        return;
    fileSize = ftello(file);
    streamPosition = -1;

    unsigned char word[4];
    if (!readAt(0, word, 4) || !isTag(word, "RIFF"))
        return;
    // "WAVE" normally follows the RIFF size word at byte 8; any later
    // 4-byte word is accepted as well.
    const std::int64_t waveOffset = findWord(4, "WAVE");
    if (waveOffset < 0 || !findChunks(waveOffset) || !readFormat())
        return;

    unsigned char sizeField[4];
    if (!readAt(dataOffset + 4, sizeField, 4))
        return;
    // A truncated file (or a streaming writer's placeholder size) declares
    // more data than there is: only the bytes present count.
    const std::int64_t available = fileSize - (dataOffset + 8);
    dataSize = std::min<std::int64_t>(le32(sizeField), available);
    valid = true;
}

// Finds the "fmt " and "data" chunks by walking the chunk headers (tag, then
// a 32-bit size, contents padded to an even length). When the walk runs into
// a malformed size before it meets "data", the data tag is searched in 4-byte
// words from the format chunk on, which finds it in files whose chunk sizes
// are wrong as long as the tag sits at a multiple of 4 bytes.
bool WavReader::findChunks(std::int64_t waveOffset)
{
    bool foundFormat = false;
    bool foundData = false;
    unsigned char header[8];
    for (std::int64_t pos = waveOffset + 4; readAt(pos, header, 8);) {
        if (!foundFormat && isTag(header, "fmt ")) {
            fmtOffset = pos;
            foundFormat = true;
        } else if (!foundData && isTag(header, "data")) {
            dataOffset = pos;
            foundData = true;
        }
        if (foundFormat && foundData)
            return true;
        const std::int64_t size = le32(header + 4);
        pos += 8 + size + (size & 1);
    }
    if (!foundFormat)
        return false;
    if (foundData)
        return true;

    const std::int64_t scanned = findWord(fmtOffset + 4, "data");
    if (scanned < 0)
        return false;
    dataOffset = scanned;
    return true;
}

// The offset of the first of the 4-byte words from..., in steps of 4, that
// equals tag, or -1. Reads in blocks: the words of a large file that is not
// a WAV file at all are otherwise read one call at a time.
std::int64_t WavReader::findWord(std::int64_t from, const char* tag)
{
    constexpr std::int64_t kBlockBytes = 1 << 16;
    std::vector<unsigned char> block(kBlockBytes);
    for (std::int64_t pos = from; pos + 4 <= fileSize;) {
        const std::int64_t length = std::min(kBlockBytes, (fileSize - pos) / 4 * 4);
        if (!readAt(pos, block.data(), static_cast<std::size_t>(length)))
            return -1;
        for (std::int64_t i = 0; i < length; i += 4)
            if (isTag(block.data() + i, tag))
                return pos + i;
        pos += length;
    }
    return -1;
}

bool WavReader::readFormat()
{
    unsigned char header[8];
    unsigned char format[40] = {};
    if (!readAt(fmtOffset, header, 8))
        return false;
    const std::int64_t chunkSize = le32(header + 4);
    if (chunkSize < 16 || !readAt(fmtOffset + 8, format, 16))
        return false;
    formatCode = le16(format);
    channels = le16(format + 2);
    fileSampleRate = le32(format + 4);
    byteRate = le32(format + 8);
    blockAlign = le16(format + 12);
    bitsPerSample = le16(format + 14);
    stereo = channels == 2;

    std::uint32_t sampleFormat = formatCode;
    if (formatCode == kFormatExtensible) {
        // The extension: cbSize, valid bits, channel mask, then a GUID whose
        // first two bytes hold the sample format code.
        if (chunkSize < 40 || !readAt(fmtOffset + 8, format, 40))
            return false;
        sampleFormat = le16(format + 24);
    }
    encoding = encodingOf(sampleFormat, bitsPerSample);
    if (encoding == Encoding::None || channels == 0)
        return false;
    return blockAlign >= channels * bytesOf(encoding);
}

float WavReader::readSample(int index, bool firstChannel)
{
    if (!valid || index < 0 || index >= framesInFile())
        return 0.0f;
    const std::size_t sampleBytes = bytesOf(encoding);
    const std::uint32_t channel = (!firstChannel && channels > 1) ? 1 : 0;
    const std::int64_t position =
        dataOffset + 8 + static_cast<std::int64_t>(index) * blockAlign + channel * sampleBytes;
    unsigned char bytes[8];
    if (!readAt(position, bytes, sampleBytes))
        return 0.0f;
    return decode(bytes, encoding);
}
