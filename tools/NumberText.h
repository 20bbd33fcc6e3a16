// Numbers on the command line, read the same way whatever the process locale
// says (a comma locale must not turn "0.5" into 0).
#pragma once

#include <string>

namespace tovarine::cli {

// Whole text must be a finite number; throws a usage error naming `what`.
double parseNumber(const std::string& text, const std::string& what);
long parseInteger(const std::string& text, const std::string& what);

}  // namespace tovarine::cli
