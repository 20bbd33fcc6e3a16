// The program export's file on Linux: in the user's home directory.
#include "programs/ProgramExport.h"

#include <cstdlib>

std::string defaultExportPath()
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return {};
    std::string path = home;
    if (path.back() != '/')
        path += '/';
    return path + "TovarineOutputProgram.cpp";
}
