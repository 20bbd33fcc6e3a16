// Writes short mono WAV files for the analysis tests: 16-bit PCM (samples
// scaled by 32767 and rounded) or 32-bit float (samples as they are).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace testwav {

enum class Format { Int16, Float32 };

inline void writeMono(const std::string& path, const std::vector<float>& samples, Format format = Format::Int16)
{
    std::ofstream out(path, std::ios::binary);
    const auto put = [&out](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const std::uint32_t sampleBytes = format == Format::Int16 ? 2 : 4;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * sampleBytes);
    out << "RIFF";
    put(36 + dataBytes, 4);
    out << "WAVEfmt ";
    put(16, 4);
    put(format == Format::Int16 ? 1 : 3, 2);  // PCM or IEEE float
    put(1, 2);                                // mono
    put(44100, 4);
    put(44100 * sampleBytes, 4);
    put(sampleBytes, 2);
    put(sampleBytes * 8, 2);
    out << "data";
    put(dataBytes, 4);
    for (float s : samples) {
        if (format == Format::Int16) {
            put(static_cast<std::uint32_t>(std::lround(s * 32767.0f)), 2);
        } else {
            std::uint32_t bits;
            std::memcpy(&bits, &s, 4);
            put(bits, 4);
        }
    }
}

}  // namespace testwav
