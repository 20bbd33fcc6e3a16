// Reading dropped URI lists into local paths.
#include "platform/x11/UriList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

TEST(UriList, DecodesFileUrisAndSkipsCommentsOtherSchemesAndBadEscapes)
{
    const auto paths = filePathsFromUriList(
        "# comment\r\nfile:///no/such/dir/a%20b.tun\r\nhttp://example.org/x\r\nfile://localhost/no/such/c.wav\n"
        "file:/no/such/d\r\nfile:///bad%2\r\nfile:///nul%00x\r\n\r\nFILE:///no/such/E\r\n");
    EXPECT_EQ(paths, (std::vector<std::string>{"/no/such/dir/a b.tun", "/no/such/c.wav", "/no/such/d", "/no/such/E"}));
}

TEST(UriList, ResolvesSymbolicLinksAndLeavesOutOverlongNames)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(::testing::TempDir()) / "tovarine_urilist";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path target = dir / "real file.tun";
    std::FILE* file = std::fopen(target.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    fs::create_symlink(target, dir / "link.tun");

    const std::string longName(1100, 'x');
    const auto paths = filePathsFromUriList("file://" + (dir / "link.tun").string() + "\r\nfile:///" + longName + "\r\n");
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], fs::canonical(target).string());
    fs::remove_all(dir);
}
