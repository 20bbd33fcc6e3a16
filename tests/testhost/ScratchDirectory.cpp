#include "tests/testhost/ScratchDirectory.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <vector>

namespace testhost {

ScratchDirectory::ScratchDirectory(const std::string& purpose, PathUse use)
{
    std::string pattern = "/tmp/tovarine-" + purpose + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data()))
        throw std::runtime_error("cannot make a directory like " + pattern);
    dir = name.data();
    if (use != kOffPath) {
        const char* path = std::getenv("PATH");
        savedPath = path ? path : "";
        changedPath = true;
        setenv("PATH", (use == kAloneOnPath ? dir : dir + ":" + savedPath).c_str(), 1);
    }
}

ScratchDirectory::~ScratchDirectory()
{
    if (changedPath)
        setenv("PATH", savedPath.c_str(), 1);
    (void)!std::system(("rm -rf '" + dir + "'").c_str());
}

void ScratchDirectory::writeScript(const std::string& name, const std::string& body) const
{
    const std::string file = dir + "/" + name;
    std::ofstream(file) << "#!/bin/sh\n" << body << "\n";
    chmod(file.c_str(), 0755);
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace testhost
