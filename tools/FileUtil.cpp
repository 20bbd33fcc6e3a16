#include "tools/FileUtil.h"

#include "tools/PendingOutput.h"
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

void writeFileBytes(PendingOutput& output, const std::vector<uint8_t>& bytes)
{
    errno = 0;
    std::ofstream out(output.temporaryPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw ToolError("cannot write " + output.path() + ": " + std::strerror(errno ? errno : EIO));
    output.commit();
}

void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    PendingOutput output(path);
    writeFileBytes(output, bytes);
}

void checkWritableOutput(const std::string& path)
{
    if (path.empty())
        throw usageError("an output file needs a name");
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
