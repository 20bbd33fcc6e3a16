// The sub-commands of the tovarine tool. Each is described once, by a table:
// how it is called, what it does, one example, the options it accepts and the
// function that does the work. The option parser and the --help texts both
// read that table, so the help names every option a command accepts.
#pragma once

#include "tools/OptionParser.h"

#include <string>
#include <vector>

namespace tovarine::cli {

using Arguments = std::vector<std::string>;

struct Command {
    std::string name;       // "render", or two words for a family: "preset save"
    std::string arguments;  // what follows the name: "[INPUT] -o OUTPUT [options]"
    std::string summary;    // one line, for the overview
    std::string details = {};  // more lines for the command's own help; may be empty
    std::string example;    // one complete command line
    std::vector<OptionRule> options;
    std::size_t maxPositional = 0;
    // Does the work; throws ToolError on failure.
    void (*run)(const ParsedOptions& options) = nullptr;
};

Command renderCommand();
Command infoCommand();
std::vector<Command> presetCommands();
Command plotCommand();

// Every command, in the order the overview lists them.
const std::vector<Command>& allCommands();

// The arguments after the program's name: a command with its options, or
// --help / --version on their own or after a command. Throws ToolError.
void runCommandLine(const Arguments& arguments);

// What --help prints.
std::string overviewHelp();
std::string commandHelp(const Command& command);

}  // namespace tovarine::cli
