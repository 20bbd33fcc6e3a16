// The --help texts, made from the command table.
#include "tools/Commands.h"

#include <algorithm>

namespace tovarine::cli {

namespace {

// Options whose left column is wider than this get their text on the next line.
constexpr std::size_t kWidestOptionColumn = 30;

std::string optionColumn(const OptionRule& rule)
{
    std::string column = rule.name == "output" ? "-o, --output" : "--" + rule.name;
    if (rule.takesValue)
        column += " " + (rule.valueName.empty() ? std::string("VALUE") : rule.valueName);
    return column;
}

std::string optionLines(const std::vector<OptionRule>& rules)
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (const OptionRule& rule : rules)
        rows.emplace_back(optionColumn(rule), rule.help + (rule.repeatable ? " (repeatable)" : ""));
    rows.emplace_back("-h, --help", "show this text");
    rows.emplace_back("--version", "show the version of tovarine");
    std::size_t width = 0;
    for (const auto& [column, help] : rows)
        if (column.size() <= kWidestOptionColumn)
            width = std::max(width, column.size());
    std::string text;
    for (const auto& [column, help] : rows) {
        text += "  " + column;
        if (column.size() > width)
            text += "\n  " + std::string(width, ' ');
        else
            text += std::string(width - column.size(), ' ');
        text += "  " + help + "\n";
    }
    return text;
}

}  // namespace

std::string commandHelp(const Command& command)
{
    const std::string details = command.details.empty() ? "" : "\n" + command.details + "\n";
    return "usage: tovarine " + command.name + " " + command.arguments + "\n\n" + command.summary + "\n" + details + "\noptions:\n"
           + optionLines(command.options) + "\nexample:\n  " + command.example + "\n";
}

std::string overviewHelp()
{
    std::string text =
        "usage: tovarine COMMAND [options]\n\n"
        "Loads a VST 2 plug-in as a host does and runs it offline: renders audio through it, shows what a\n"
        "host sees, converts its presets, draws pictures of audio files.\n\ncommands:\n";
    for (const Command& command : allCommands())
        text += "  " + command.name + " " + command.arguments + "\n      " + command.summary + "\n";
    return text + "\ntovarine COMMAND --help lists a command's options and shows an example.\n"
                  "tovarine --version shows the version.\n";
}

}  // namespace tovarine::cli
