// Command-line options of one sub-command: "--name VALUE", "--name=VALUE",
// flags without a value, "-o" for "--output", and positional arguments.
// Anything not declared is a usage error.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tovarine::cli {

struct OptionRule {
    std::string name;  // without the leading dashes
    bool takesValue = true;
    bool repeatable = false;
    // For --help: the value's placeholder ("N", "FILE.fxp") and what the option does.
    std::string valueName = {};
    std::string help = {};
};

class ParsedOptions {
public:
    ParsedOptions(const std::vector<std::string>& arguments, const std::vector<OptionRule>& rules, std::size_t maxPositional);

    bool has(const std::string& name) const { return values_.count(name) != 0; }
    std::string value(const std::string& name, const std::string& fallback = {}) const;
    const std::vector<std::string>& values(const std::string& name) const;
    const std::vector<std::string>& positional() const { return positional_; }

    // Value of an option that must be present.
    std::string required(const std::string& name) const;

private:
    std::map<std::string, std::vector<std::string>> values_;
    std::vector<std::string> positional_;
};

}  // namespace tovarine::cli
