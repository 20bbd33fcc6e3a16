#include "tools/OggSerial.h"

#include "tools/FileUtil.h"
#include "tools/ToolError.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace tovarine::cli {

namespace {

constexpr std::size_t kHeaderBytes = 27;  // up to and including the segment count
constexpr std::size_t kSerialAt = 14;
constexpr std::size_t kChecksumAt = 22;

// Ogg's page checksum: CRC-32 with polynomial 0x04C11DB7, not reflected, starting at zero.
uint32_t pageChecksum(const uint8_t* page, std::size_t size)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i)
        crc = (crc << 8) ^ table[((crc >> 24) ^ page[i]) & 0xFF];
    return crc;
}

void putLittleEndian(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

void setOggSerialNumber(std::vector<uint8_t>& pages, uint32_t serial)
{
    for (std::size_t at = 0; at < pages.size();) {
        if (pages.size() - at < kHeaderBytes || pages[at] != 'O' || pages[at + 1] != 'g' || pages[at + 2] != 'g' || pages[at + 3] != 'S')
            throw std::runtime_error("not an Ogg page at byte " + std::to_string(at));
        const std::size_t segments = pages[at + kHeaderBytes - 1];
        if (pages.size() - at < kHeaderBytes + segments)
            throw std::runtime_error("an Ogg page cut short at byte " + std::to_string(at));
        std::size_t size = kHeaderBytes + segments;
        for (std::size_t s = 0; s < segments; ++s)
            size += pages[at + kHeaderBytes + s];
        if (pages.size() - at < size)
            throw std::runtime_error("an Ogg page cut short at byte " + std::to_string(at));
        uint8_t* page = pages.data() + at;
        putLittleEndian(page + kSerialAt, serial);
        putLittleEndian(page + kChecksumAt, 0);
        putLittleEndian(page + kChecksumAt, pageChecksum(page, size));
        at += size;
    }
}

void fixOggSerialNumber(const std::string& path, uint32_t serial)
{
    std::vector<uint8_t> pages = readFileBytes(path);
    try {
        setOggSerialNumber(pages, serial);
    } catch (const std::runtime_error& error) {
        throw ToolError(path + ": " + error.what());
    }
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    const bool written = file && std::fwrite(pages.data(), 1, pages.size(), file) == pages.size();
    const bool closed = file && std::fclose(file) == 0;
    if (!written || !closed)
        throw ToolError("cannot write " + path);
}

}  // namespace tovarine::cli
