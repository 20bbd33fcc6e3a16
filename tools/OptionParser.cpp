#include "tools/OptionParser.h"

#include "tools/ToolError.h"

#include <algorithm>

namespace tovarine::cli {

ParsedOptions::ParsedOptions(const std::vector<std::string>& arguments, const std::vector<OptionRule>& rules,
                             std::size_t maxPositional)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional_.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name;
        std::string inlineValue;
        bool hasInlineValue = false;
        if (argument == "-o") {
            name = "output";
        } else if (argument.rfind("--", 0) == 0) {
            name = argument.substr(2);
            const auto equals = name.find('=');
            if (equals != std::string::npos) {
                inlineValue = name.substr(equals + 1);
                name = name.substr(0, equals);
                hasInlineValue = true;
            }
        } else {
            throw usageError("unknown option " + argument);
        }
        const auto rule = std::find_if(rules.begin(), rules.end(), [&](const OptionRule& s) { return s.name == name; });
        if (rule == rules.end())
            throw usageError("unknown option --" + name);
        if (values_.count(name) && !rule->repeatable)
            throw usageError("--" + name + " given twice");
        if (!rule->takesValue) {
            if (hasInlineValue)
                throw usageError("--" + name + " takes no value");
            values_[name].push_back({});
            continue;
        }
        if (!hasInlineValue) {
            if (i + 1 >= arguments.size())
                throw usageError("--" + name + " needs a value");
            inlineValue = arguments[++i];
        }
        values_[name].push_back(inlineValue);
    }
    if (positional_.size() > maxPositional)
        throw usageError("unexpected argument '" + positional_[maxPositional] + "'");
}

std::string ParsedOptions::value(const std::string& name, const std::string& fallback) const
{
    const auto found = values_.find(name);
    return found == values_.end() ? fallback : found->second.back();
}

const std::vector<std::string>& ParsedOptions::values(const std::string& name) const
{
    static const std::vector<std::string> none;
    const auto found = values_.find(name);
    return found == values_.end() ? none : found->second;
}

std::string ParsedOptions::required(const std::string& name) const
{
    const auto found = values_.find(name);
    if (found == values_.end())
        throw usageError(name == "output" ? "missing -o OUTPUT" : "missing --" + name);
    return found->second.back();
}

}  // namespace tovarine::cli
