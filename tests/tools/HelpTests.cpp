// --help is made from the command table: every command answers it, and its
// text names every option the command's parser accepts.
#include "tests/tools/ToolRun.h"
#include "tools/Commands.h"
#include "TovarineVersion.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace clitest;

namespace {

std::vector<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> list;
    for (std::string word; in >> word;)
        list.push_back(word);
    return list;
}

}  // namespace

TEST(ToolHelp, EveryCommandHelpsWithItsUsageEveryOptionAndAnExample)
{
    const ToolResult overview = runTool({"--help"});
    ASSERT_EQ(overview.exitCode, 0);
    for (const tovarine::cli::Command& command : tovarine::cli::allCommands()) {
        SCOPED_TRACE(command.name);
        EXPECT_NE(overview.out.find("  " + command.name + " "), std::string::npos) << overview.out;

        std::vector<std::string> args = words(command.name);
        args.push_back("--help");
        const ToolResult help = runTool(args);
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.err.empty()) << help.err;
        EXPECT_EQ(help.out.rfind("usage: tovarine " + command.name + " ", 0), 0u) << help.out;
        EXPECT_NE(help.out.find("example:\n  tovarine " + command.name), std::string::npos) << help.out;
        for (const tovarine::cli::OptionRule& option : command.options) {
            EXPECT_NE(help.out.find("--" + option.name + (option.takesValue ? " " : "")), std::string::npos)
                << "--" << option.name << " is accepted but not in the help";
            EXPECT_FALSE(option.help.empty()) << "--" << option.name << " has no help text";
        }

        args.back() = "--version";
        EXPECT_EQ(runTool(args).out, std::string("tovarine ") + TOVARINE_VERSION + "\n");
    }
}
