#include "platform/ChildEnvironment.h"

#include <cstring>

extern char** environ;

namespace child_process {

std::vector<std::string> cleanEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "LD_LIBRARY_PATH=", 16) == 0 || std::strncmp(*e, "LD_PRELOAD=", 11) == 0)
            continue;
        env.emplace_back(*e);
    }
    return env;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& t : texts)
        pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace child_process
