#include "tools/Commands.h"

#include "tools/ToolError.h"
#include "TovarineVersion.h"

#include <algorithm>
#include <cstdio>

namespace tovarine::cli {

namespace {

bool isHelp(const std::string& argument) { return argument == "--help" || argument == "-h"; }

std::string firstWord(const std::string& name) { return name.substr(0, name.find(' ')); }

std::size_t wordCount(const std::string& name) { return static_cast<std::size_t>(std::count(name.begin(), name.end(), ' ')) + 1; }

// "a, b or c"
std::string alternatives(const std::vector<std::string>& words)
{
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    return text;
}

// "render", "info", "preset", "plot": each family once.
std::vector<std::string> commandWords()
{
    std::vector<std::string> words;
    for (const Command& command : allCommands())
        if (std::find(words.begin(), words.end(), firstWord(command.name)) == words.end())
            words.push_back(firstWord(command.name));
    return words;
}

// The command whose words begin the arguments, or null.
const Command* findCommand(const Arguments& arguments)
{
    for (const Command& command : allCommands()) {
        std::string spoken;
        for (std::size_t i = 0; i < wordCount(command.name) && i < arguments.size(); ++i)
            spoken += (i == 0 ? "" : " ") + arguments[i];
        if (spoken == command.name)
            return &command;
    }
    return nullptr;
}

// The commands of a family ("preset save", "preset list" ...) under one first word.
std::vector<const Command*> familyOf(const std::string& word)
{
    std::vector<const Command*> family;
    for (const Command& command : allCommands())
        if (wordCount(command.name) > 1 && firstWord(command.name) == word)
            family.push_back(&command);
    return family;
}

std::string familyHelp(const std::vector<const Command*>& family)
{
    const std::string word = firstWord(family.front()->name);
    std::string text = "usage: tovarine " + word + " ACTION [options]\n\nactions:\n";
    for (const Command* command : family)
        text += "  " + command->name.substr(word.size() + 1) + " " + command->arguments + "\n      " + command->summary + "\n";
    return text + "\ntovarine " + word + " ACTION --help lists an action's options.\n";
}

void printVersion() { std::printf("tovarine %s\n", TOVARINE_VERSION); }

// A family's first word without a known action after it.
void runFamilyWithoutAction(const std::vector<const Command*>& family, const Arguments& arguments)
{
    if (arguments.size() > 1 && isHelp(arguments[1])) {
        std::fputs(familyHelp(family).c_str(), stdout);
        return;
    }
    if (arguments.size() > 1 && arguments[1] == "--version") {
        printVersion();
        return;
    }
    std::vector<std::string> actions;
    for (const Command* command : family)
        actions.push_back(command->name.substr(arguments[0].size() + 1));
    if (arguments.size() == 1)
        throw usageError(arguments[0] + " needs an action: " + alternatives(actions));
    throw usageError("unknown " + arguments[0] + " action '" + arguments[1] + "' (" + alternatives(actions) + ")");
}

}  // namespace

const std::vector<Command>& allCommands()
{
    static const std::vector<Command> commands = [] {
        std::vector<Command> list = {renderCommand(), infoCommand()};
        for (Command& preset : presetCommands())
            list.push_back(std::move(preset));
        list.push_back(plotCommand());
        return list;
    }();
    return commands;
}

void runCommandLine(const Arguments& arguments)
{
    if (arguments.empty())
        throw usageError("missing COMMAND (" + alternatives(commandWords()) + "; see tovarine --help)");
    if (isHelp(arguments[0]) || arguments[0] == "help") {
        std::fputs(overviewHelp().c_str(), stdout);
        return;
    }
    if (arguments[0] == "--version") {
        printVersion();
        return;
    }
    const Command* command = findCommand(arguments);
    if (!command) {
        const std::vector<const Command*> family = familyOf(arguments[0]);
        if (!family.empty())
            return runFamilyWithoutAction(family, arguments);
        throw usageError("unknown command '" + arguments[0] + "' (" + alternatives(commandWords()) + "; see tovarine --help)");
    }
    const Arguments rest(arguments.begin() + static_cast<std::ptrdiff_t>(wordCount(command->name)), arguments.end());
    for (const std::string& argument : rest) {
        if (argument == "--")
            break;
        if (isHelp(argument)) {
            std::fputs(commandHelp(*command).c_str(), stdout);
            return;
        }
        if (argument == "--version") {
            printVersion();
            return;
        }
    }
    command->run(ParsedOptions(rest, command->options, command->maxPositional));
}

}  // namespace tovarine::cli
