#include "tools/FileUtil.h"

#include "tools/ToolError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tovarine::cli {

std::vector<uint8_t> readFileBytes(const std::string& path)
{
    struct stat info{};
    if (stat(path.c_str(), &info) != 0)
        throw ToolError("cannot read " + path + ": " + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        throw ToolError("cannot read " + path + ": it is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ToolError("cannot read " + path + ": " + std::strerror(errno));
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw ToolError("cannot read " + path);
    return bytes;
}

void writeAtomically(const std::string& path, const std::function<void(const std::string&)>& write)
{
    std::string temporary = path + ".tmp-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        throw ToolError("cannot write " + path + ": " + std::strerror(errno));
    close(fd);
    try {
        write(temporary);
        // mkstemp makes the file private (0600); give it the usual permissions.
        const mode_t mask = umask(0);
        umask(mask);
        chmod(temporary.c_str(), 0666 & ~mask);
        if (std::rename(temporary.c_str(), path.c_str()) != 0)
            throw ToolError("cannot write " + path + ": " + std::strerror(errno));
    } catch (...) {
        std::remove(temporary.c_str());
        throw;
    }
}

void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    writeAtomically(path, [&](const std::string& temporary) {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out)
            throw ToolError("cannot write " + path + ": " + std::strerror(errno));
    });
}

void checkWritableOutput(const std::string& path)
{
    if (path.empty())
        throw ToolError("cannot write a file with an empty name");
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat info{};
    if (stat(folder.c_str(), &info) != 0)
        throw ToolError("cannot write " + path + ": no folder " + folder);
    if (!S_ISDIR(info.st_mode))
        throw ToolError("cannot write " + path + ": " + folder + " is not a folder");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        throw ToolError("cannot write " + path + ": the folder " + folder + " is not writable");
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw ToolError("cannot write " + path + ": it is a folder");
}

std::string lowerCaseExtension(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

}  // namespace tovarine::cli
