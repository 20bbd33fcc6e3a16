// Audio files through libsndfile: WAV, FLAC, AIFF and Ogg Vorbis in,
// the same out. Mono input is fed to both plug-in inputs.
#pragma once

#include <string>
#include <vector>

namespace tovarine::cli {

class PendingOutput;

struct StereoBuffer {
    double sampleRate = 44100.0;
    std::vector<float> left;
    std::vector<float> right;
    std::size_t frames() const { return left.size(); }
};

// Throws ToolError for a missing, unreadable or unsupported file, or one with more than two channels.
// channelsInFile, when given, learns whether the file was mono (1) or stereo (2).
StereoBuffer readAudioFile(const std::string& path, int* channelsInFile = nullptr);

struct AudioOutputFormat {
    std::string container;  // wav, flac, aiff, ogg in any case; empty: from the file extension (wav when there is none)
    int bits = 0;           // 16, 24 or 32 (32 = float); 0: the container's default
};

// Writes all-or-nothing (temporary file, then rename). Integer formats clip at
// full scale. The same audio and format always give the same bytes.
void writeAudioFile(PendingOutput& output, const StereoBuffer& audio, const AudioOutputFormat& format);
void writeAudioFile(const std::string& path, const StereoBuffer& audio, const AudioOutputFormat& format);

// Validates a format before any work is done; throws a usage error, also for a
// file extension that names no format we write when no container is given.
// Answers whether the file will hold integer samples (which clip at full scale).
bool checkOutputFormat(const std::string& path, const AudioOutputFormat& format);

// Samples (counting both channels) beyond full scale, or not finite: what an integer format clips.
std::size_t countClippedSamples(const StereoBuffer& audio);

}  // namespace tovarine::cli
