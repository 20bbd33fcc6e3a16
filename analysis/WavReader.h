// Random access to the samples of a RIFF/WAVE file, one positioned read per
// sample (the impulse analysis reads a few hundred thousand samples once, so
// no cache is kept beyond the stream's own buffer).
//
// Supported sample encodings: integer PCM of 8 (unsigned), 16, 24 and 32 bits
// and IEEE float of 32 and 64 bits, plain or in the extensible format, with
// any number of channels. Samples come back as floats, integers scaled so
// that full scale is -1..1 (a 16-bit sample v gives v / 32768). Any other
// encoding makes the file unreadable rather than being read as noise.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class WavReader {
public:
    enum class Encoding { None, UnsignedInt8, Int16, Int24, Int32, Float32, Float64 };

    WavReader() = default;
    ~WavReader() { close(); }
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    // Fills the reader from the file; `valid` tells whether it can be read.
    void open(const char* path);

    // The sample of frame `index` on the first channel, or on the second
    // channel when firstChannel is false and the file has more than one.
    // 0 for an index outside the file, an unreadable file or a read error.
    float readSample(int index, bool firstChannel);

    // Frames in the data chunk; 0 unless valid.
    std::int64_t framesInFile() const { return valid ? dataSize / blockAlign : 0; }

    void close();

    // Header values, all zero until open() has read them. Offsets are the
    // byte positions of the chunk tags in the file.
    std::int64_t fmtOffset = 0;
    std::int64_t dataOffset = 0;
    std::string path;
    std::FILE* file = nullptr;
    bool valid = false;
    bool stereo = false;  // exactly two channels
    std::uint32_t fileSampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint32_t blockAlign = 0;     // bytes per frame, all channels
    std::uint32_t bitsPerSample = 0;
    std::int64_t dataSize = 0;        // sample bytes present in the file
    std::uint32_t channels = 0;
    std::uint32_t formatCode = 0;     // 1 PCM, 3 float, 0xFFFE extensible
    Encoding encoding = Encoding::None;

private:
    void resetHeader();
    bool readAt(std::int64_t offset, void* buffer, std::size_t size);
    bool findChunks(std::int64_t waveOffset);
    std::int64_t findWord(std::int64_t from, const char* tag);
    bool readFormat();

    std::int64_t fileSize = 0;
    std::int64_t streamPosition = -1;  // where the stream stands after the last read; -1 unknown
};
