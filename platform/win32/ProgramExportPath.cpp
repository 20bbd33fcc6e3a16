// The program export's file on Windows: the fixed path at the root of drive C.
#include "programs/ProgramExport.h"

std::string defaultExportPath()
{
    return "C:\\TovarineOutputProgram.cpp";
}
