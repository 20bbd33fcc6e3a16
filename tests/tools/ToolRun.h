// Runs the built tovarine executable and captures what it says, plus small
// helpers for the files the tests hand it.
#pragma once

#include "tools/AudioFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace clitest {

struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Where the run's standard output goes (default: captured), which tool runs, and its HOME.
struct ToolSetup {
    std::string standardOutput;
    std::string tool;
    std::string home;
};
ToolResult runTool(const std::vector<std::string>& arguments, const ToolSetup& setup = {});

// A fresh directory under /tmp, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }
    std::vector<std::string> entries() const;

private:
    std::string path_;
};

std::string fakePluginPath();
std::string refusingPluginPath();
std::string ringingPluginPath();
std::string realPluginPath();
std::string testWav(const std::string& name);

// 32-bit float WAV, so values above full scale survive.
void writeFloatWav(const std::string& path, const tovarine::cli::StereoBuffer& audio);
std::vector<uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// A Standard MIDI File chunk: four-letter tag, big-endian length, body.
std::vector<uint8_t> midiChunk(const char* tag, const std::vector<uint8_t>& body);
int32_t bigEndianAt(const std::vector<uint8_t>& bytes, std::size_t offset);

}  // namespace clitest
