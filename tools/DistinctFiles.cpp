#include "tools/DistinctFiles.h"

#include "tools/ToolError.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

namespace tovarine::cli {

namespace {

// An existing file is known by its device and inode; a file still to be made
// by the real path of its folder and its own name.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string path;

    bool operator==(const FileIdentity& other) const
    {
        if (exists != other.exists)
            return false;
        return exists ? device == other.device && inode == other.inode : path == other.path;
    }
};

FileIdentity identityOf(const std::string& path)
{
    FileIdentity identity;
    if (path == "-") {
        identity.path = path;  // not the literal: GCC 12 at -O3 warns of a false overlap there
        return identity;
    }
    struct stat info{};
    if (stat(path.c_str(), &info) == 0) {
        identity.exists = true;
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
        return identity;
    }
    const std::filesystem::path absolute = std::filesystem::absolute(path).lexically_normal();
    char folder[PATH_MAX];
    const std::string parent = absolute.parent_path().string();
    identity.path = (realpath(parent.c_str(), folder) ? std::string(folder) : parent) + "/" + absolute.filename().string();
    return identity;
}

}  // namespace

void checkDistinctFiles(const std::vector<NamedFile>& inputs, const std::vector<NamedFile>& outputs)
{
    for (const NamedFile& output : outputs)
        if (output.path.empty())
            throw usageError(output.role + " \"\" names no file (-o - writes to standard output)");
    std::vector<FileIdentity> inputIds;
    for (const NamedFile& input : inputs)
        inputIds.push_back(input.path.empty() ? FileIdentity{} : identityOf(input.path));
    std::vector<FileIdentity> outputIds;
    for (std::size_t o = 0; o < outputs.size(); ++o) {
        const FileIdentity id = identityOf(outputs[o].path);
        for (std::size_t i = 0; i < inputs.size(); ++i)
            if (id == inputIds[i] && outputs[o].path != "-" && inputs[i].path != "-")
                throw usageError(outputs[o].path + ": " + outputs[o].role + " is the same file as " + inputs[i].role + " ("
                                 + inputs[i].path + "); writing it would destroy it. Nothing was written");
        for (std::size_t earlier = 0; earlier < o; ++earlier)
            if (id == outputIds[earlier])
                throw usageError(outputs[o].path + ": " + outputs[earlier].role + " and " + outputs[o].role
                                 + " name the same file; one would replace the other. Nothing was written");
        outputIds.push_back(id);
    }
}

}  // namespace tovarine::cli
