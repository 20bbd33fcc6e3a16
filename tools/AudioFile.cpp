#include "tools/AudioFile.h"

#include "tools/FileUtil.h"
#include "tools/OggSerial.h"
#include "tools/PendingOutput.h"
#include "tools/ToolError.h"

#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace tovarine::cli {

namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

struct ResolvedFormat {
    std::string container;
    int sndfileFormat = 0;
    bool integerSamples = false;
};

std::string containerOfExtension(const std::string& path)
{
    const std::string ext = lowerCaseExtension(path);
    if (ext.empty() || ext == "wav")
        return "wav";
    if (ext == "flac")
        return "flac";
    if (ext == "aif" || ext == "aiff")
        return "aiff";
    if (ext == "ogg" || ext == "oga")
        return "ogg";
    throw usageError(path + ": ." + ext + " is not a format tovarine writes (.wav, .flac, .aif, .aiff, .ogg, .oga); "
                     "choose one with --format");
}

ResolvedFormat resolveFormat(const std::string& path, const AudioOutputFormat& format)
{
    std::string container = format.container.empty() ? containerOfExtension(path) : format.container;
    for (char& c : container)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (container == "aif")
        container = "aiff";
    if (container == "oga")
        container = "ogg";
    ResolvedFormat resolved{container};
    const int bits = format.bits;
    if (bits != 0 && bits != 16 && bits != 24 && bits != 32)
        throw usageError("--bits must be 16, 24 or 32 (32 is floating point), not " + std::to_string(bits));
    // Floating point by default where the container has it: the output of a
    // resonator bank easily peaks above full scale and must not be clipped.
    const int sampleFormat = bits == 16 ? SF_FORMAT_PCM_16 : bits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT;
    resolved.integerSamples = container == "flac" || bits == 16 || bits == 24;
    if (container == "wav") {
        resolved.sndfileFormat = SF_FORMAT_WAV | sampleFormat;
    } else if (container == "aiff") {
        resolved.sndfileFormat = SF_FORMAT_AIFF | sampleFormat;
    } else if (container == "flac") {
        if (bits == 32)
            throw usageError("FLAC holds 16 or 24 bits, not 32");
        resolved.sndfileFormat = SF_FORMAT_FLAC | (bits == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24);
    } else if (container == "ogg") {
        if (bits != 0)
            throw usageError("--bits does not apply to Ogg Vorbis output");
        resolved.sndfileFormat = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    } else {
        throw usageError("unknown output format '" + container + "' (wav, flac, aiff or ogg)");
    }
    return resolved;
}

// libsndfile's own text for a failed write is "Unspecified internal error";
// the system's reason (a full disk) says more.
std::string writeFailure(SNDFILE* file)
{
    return errno != 0 ? std::strerror(errno) : sf_strerror(file);
}

}  // namespace

bool checkOutputFormat(const std::string& path, const AudioOutputFormat& format)
{
    return resolveFormat(path, format).integerSamples;
}

std::size_t countClippedSamples(const StereoBuffer& audio)
{
    std::size_t clipped = 0;
    for (const std::vector<float>* channel : {&audio.left, &audio.right})
        for (float sample : *channel)
            clipped += !(std::fabs(sample) <= 1.f);
    return clipped;
}

StereoBuffer readAudioFile(const std::string& path, int* channelsInFile)
{
    struct stat status{};
    if (stat(path.c_str(), &status) != 0)
        throw ToolError("cannot read " + path + ": " + std::strerror(errno));
    SF_INFO info{};
    SndfileHandle file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file)
        throw ToolError("cannot read " + path + ": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2)
        throw ToolError(path + ": " + std::to_string(info.channels) + " channels; only mono and stereo files can be rendered");
    if (info.samplerate <= 0)
        throw ToolError(path + ": invalid sample rate");
    StereoBuffer audio;
    audio.sampleRate = info.samplerate;
    if (channelsInFile)
        *channelsInFile = info.channels;
    const auto channels = static_cast<std::size_t>(info.channels);
    std::vector<float> interleaved(4096 * channels);
    for (;;) {
        const sf_count_t got = sf_readf_float(file.get(), interleaved.data(), 4096);
        if (got <= 0)
            break;
        for (sf_count_t i = 0; i < got; ++i) {
            const float l = interleaved[static_cast<std::size_t>(i) * channels];
            const float r = channels == 2 ? interleaved[static_cast<std::size_t>(i) * channels + 1] : l;
            audio.left.push_back(std::isfinite(l) ? l : 0.f);
            audio.right.push_back(std::isfinite(r) ? r : 0.f);
        }
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR)
        throw ToolError("cannot read " + path + ": " + sf_strerror(file.get()));
    return audio;
}

void writeAudioFile(PendingOutput& output, const StereoBuffer& audio, const AudioOutputFormat& format)
{
    const std::string& path = output.path();
    const ResolvedFormat resolved = resolveFormat(path, format);
    SF_INFO info{};
    info.samplerate = static_cast<int>(std::lround(audio.sampleRate));
    info.channels = 2;
    info.format = resolved.sndfileFormat;
    if (!sf_format_check(&info))
        throw ToolError("cannot write " + resolved.container + " at " + std::to_string(info.samplerate) + " Hz");
    SndfileHandle file(sf_open(output.temporaryPath().c_str(), SFM_WRITE, &info));
    if (!file)
        throw ToolError("cannot write " + path + ": " + sf_strerror(nullptr));
    // Integer formats clip at full scale instead of wrapping around.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // The peak chunk carries the time of writing: without it, one command always writes the same bytes.
    sf_command(file.get(), SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    std::vector<float> interleaved;
    constexpr std::size_t kChunkFrames = 4096;
    interleaved.reserve(kChunkFrames * 2);
    for (std::size_t pos = 0; pos < audio.frames(); pos += kChunkFrames) {
        const std::size_t n = std::min(kChunkFrames, audio.frames() - pos);
        interleaved.clear();
        for (std::size_t i = 0; i < n; ++i) {
            interleaved.push_back(audio.left[pos + i]);
            interleaved.push_back(audio.right[pos + i]);
        }
        errno = 0;
        if (sf_writef_float(file.get(), interleaved.data(), static_cast<sf_count_t>(n)) != static_cast<sf_count_t>(n))
            throw ToolError("cannot write " + path + ": " + writeFailure(file.get()));
    }
    errno = 0;
    if (sf_close(file.release()) != 0)
        throw ToolError("cannot write " + path + ": " + std::strerror(errno ? errno : EIO));
    if (resolved.container == "ogg")
        fixOggSerialNumber(output.temporaryPath());
    output.commit();
}

void writeAudioFile(const std::string& path, const StereoBuffer& audio, const AudioOutputFormat& format)
{
    PendingOutput output(path);
    writeAudioFile(output, audio, format);
}

}  // namespace tovarine::cli
