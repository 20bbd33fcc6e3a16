#include "tests/tools/ToolRun.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace clitest {

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

ToolResult runTool(const std::vector<std::string>& arguments, const ToolSetup& setup)
{
    TempDir capture;
    const std::string outPath = capture.file("stdout"), errPath = capture.file("stderr");
    const pid_t child = fork();
    if (child == 0) {
        const std::string& outTarget = setup.standardOutput.empty() ? outPath : setup.standardOutput;
        const int out = open(outTarget.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        std::vector<char*> argv;
        std::string tool = setup.tool.empty() ? TOVARINE_TOOL_PATH : setup.tool;
        if (!setup.home.empty())
            setenv("HOME", setup.home.c_str(), 1);
        argv.push_back(tool.data());
        std::vector<std::string> copies(arguments);
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ToolResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    return result;
}

TempDir::TempDir()
{
    std::string pattern = "/tmp/tovarine-cli-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() { std::filesystem::remove_all(path_); }

std::vector<std::string> TempDir::entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string fakePluginPath() { return FAKE_PLUGIN_PATH; }
std::string refusingPluginPath() { return REFUSING_PLUGIN_PATH; }
std::string ringingPluginPath() { return RINGING_PLUGIN_PATH; }
std::string realPluginPath() { return TOVARINE_PLUGIN_PATH; }
std::string testWav(const std::string& name) { return std::string(TOVARINE_TESTDATA_DIR) + "/wav/" + name; }

void writeFloatWav(const std::string& path, const tovarine::cli::StereoBuffer& audio)
{
    tovarine::cli::writeAudioFile(path, audio, {"wav", 32});
}

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> midiChunk(const char* tag, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> bytes(tag, tag + 4);
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<uint8_t>(body.size() >> shift));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

int32_t bigEndianAt(const std::vector<uint8_t>& bytes, std::size_t offset)
{
    return static_cast<int32_t>((static_cast<uint32_t>(bytes.at(offset)) << 24) | (static_cast<uint32_t>(bytes.at(offset + 1)) << 16)
                                | (static_cast<uint32_t>(bytes.at(offset + 2)) << 8) | static_cast<uint32_t>(bytes.at(offset + 3)));
}

}  // namespace clitest
