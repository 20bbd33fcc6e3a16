// The open-file dialog against stand-in zenity and kdialog scripts placed
// first on PATH: they record their arguments and environment and answer
// like the real programs (a path on stdout, or a non-zero exit to cancel).
#include "platform/FileDialog.h"
#include "tests/testhost/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {


class FileDialogTest : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("LD_LIBRARY_PATH"); }

    // A stand-in that logs one argument per line, then its LD_LIBRARY_PATH, and runs body.
    void makeScript(const std::string& name, const std::string& body)
    {
        tools.writeScript(name, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + tools.path() +
                                    "/args'\necho \"LD=${LD_LIBRARY_PATH-unset}\" >> '" + tools.path() + "/args'\n" + body);
    }

    FileDialog::Request request{"Open a Scala .TUN File", "TUN files (*.tun)", "*.tun", "/old/choice.tun", 199};
    // Nothing but the stand-ins on PATH.
    testhost::ScratchDirectory tools{"dialog", testhost::ScratchDirectory::kAloneOnPath};
};

TEST_F(FileDialogTest, ZenityChoiceIsAnsweredWithoutItsLineBreak)
{
    // Shell syntax in the texts must reach the program as plain argument text.
    request.title = "T'; touch " + tools.path() + "/pwned; echo '";
    makeScript("zenity", "echo '/data/my scales/a;b $(x).tun'");
    setenv("LD_LIBRARY_PATH", "/opt/host/lib", 1);
    int idleCalls = 0;
    const auto chosen = FileDialog::openFile(request, [&] { ++idleCalls; });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, "/data/my scales/a;b $(x).tun");
    EXPECT_NE(access((tools.path() + "/pwned").c_str(), F_OK), 0);
    EXPECT_EQ(testhost::readWholeFile(tools.path() + "/args"), "--file-selection\n--title=" + request.title + "\n"
                                       "--file-filter=TUN files (*.tun) | *.tun\n--filename=/old/choice.tun\n"
                                       "LD=unset\n");
    EXPECT_GE(idleCalls, 1);
}

TEST_F(FileDialogTest, CancelFailureAndMissingProgramsAnswerNothing)
{
    EXPECT_FALSE(FileDialog::openFile(request).has_value());  // neither program exists
    EXPECT_STREQ(FileDialog::missingProgramHint(), "no file dialog: install zenity or kdialog");

    makeScript("zenity", "exit 1");  // the user pressed Cancel
    EXPECT_FALSE(FileDialog::openFile(request).has_value());
    EXPECT_EQ(FileDialog::missingProgramHint(), nullptr);

    makeScript("zenity", "echo /half/written.tun; exit 5");  // failed despite output
    EXPECT_FALSE(FileDialog::openFile(request).has_value());

    makeScript("zenity", "printf '\\n'");  // confirmed without a name
    EXPECT_FALSE(FileDialog::openFile(request).has_value());

    makeScript("zenity", "printf '/%0200d.tun\\n' 0");  // longer than the stored path field allows
    EXPECT_FALSE(FileDialog::openFile(request).has_value());
}

TEST_F(FileDialogTest, KdialogIsTheFallback)
{
    makeScript("kdialog", "echo /k/chosen.tun");
    const auto chosen = FileDialog::openFile(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, "/k/chosen.tun");
    EXPECT_EQ(testhost::readWholeFile(tools.path() + "/args"),
              "--getopenfilename\n/old/choice.tun\nTUN files (*.tun)\n--title\nOpen a Scala .TUN File\nLD=unset\n");
}

TEST_F(FileDialogTest, EveryFilterReachesEitherProgram)
{
    request.moreFilters = {{"Scala scales (*.scl)", "*.scl"}, {"All (*.tun *.scl)", "*.tun *.scl"}};
    makeScript("zenity", "echo /z/a.scl");
    ASSERT_TRUE(FileDialog::openFile(request).has_value());
    EXPECT_NE(testhost::readWholeFile(tools.path() + "/args").find("--file-filter=TUN files (*.tun) | *.tun\n"
                                                                   "--file-filter=Scala scales (*.scl) | *.scl\n"
                                                                   "--file-filter=All (*.tun *.scl) | *.tun *.scl\n"),
              std::string::npos);

    unlink((tools.path() + "/zenity").c_str());
    makeScript("kdialog", "echo /k/a.scl");
    ASSERT_TRUE(FileDialog::openFile(request).has_value());
    // One argument, one filter per line.
    EXPECT_NE(testhost::readWholeFile(tools.path() + "/args").find("\nTUN files (*.tun)\nScala scales (*.scl)\nAll (*.tun *.scl)\n--title\n"),
              std::string::npos);
}

}  // namespace
