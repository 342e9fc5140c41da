// Path helpers: relative paths to a project file, file titles, full paths.
#include <gtest/gtest.h>

#include "kelvane/app/path_functions.h"

namespace kv {
namespace {

std::string Relative(const std::string& target, const std::string& reference) {
    std::string out;
    std::string error;
    EXPECT_TRUE(MakeRelativePath(out, target, reference, error)) << error;
    return out;
}

TEST(PathFunctionsTest, RelativePathsFromTheReferenceFilesFolder) {
    EXPECT_EQ(Relative("/work/p/image.txt", "/work/p/board.kvnset"), "./image.txt");
    EXPECT_EQ(Relative("/work/p/img/a.txt", "/work/p/board.kvnset"), "./img/a.txt");
    EXPECT_EQ(Relative("/work/image.txt", "/work/p/board.kvnset"), "../image.txt");
    EXPECT_EQ(Relative("/work/q/r/a.txt", "/work/p/s/board.kvnset"), "../../q/r/a.txt");
    // Folder names differing only in case are different folders.
    EXPECT_EQ(Relative("/work/P/a.txt", "/work/p/board.kvnset"), "../P/a.txt");
    EXPECT_EQ(Relative("/data/a.txt", "/work/p/board.kvnset"), "/data/a.txt");
}

TEST(PathFunctionsTest, TitlesDirectoriesAndFullPaths) {
    std::string out;
    std::string error;
    EXPECT_TRUE(GetFileTitleNoExtension("/a/b/board.v2.kvnset", out, error));
    EXPECT_EQ(out, "board.v2");
    EXPECT_FALSE(GetFileTitleNoExtension("/a/b/", out, error));
    EXPECT_EQ(error, "Unable to extract file title from\n'/a/b/'");
    EXPECT_TRUE(GetFileDirectory(out, "/a/./b/../c/file.txt", error));
    EXPECT_EQ(out, "/a/c/");
    EXPECT_FALSE(GetFileDirectory(out, "/a/b/", error));
    EXPECT_EQ(error, "Unable to truncate NULL filename");
    std::vector<std::string> parts;
    SplitPath(parts, "//a//b/c/");
    EXPECT_EQ(parts, (std::vector<std::string>{"a", "b", "c"}));
    std::string text = "/a";
    AppendBackslash(text);
    AppendBackslash(text);
    EXPECT_EQ(text, "/a/");
    std::string empty;
    AppendBackslash(empty);
    EXPECT_EQ(empty, "");
    MakeAbsolutePath(out, "/work/p/board.kvnset", "../img/a.txt");
    EXPECT_EQ(out, "/work/img/a.txt");
    std::string current;
    GetCurrentDirectoryString(current);
    GetFullPath(out, "x/../y.txt");
    EXPECT_EQ(out, current + "/y.txt");
}

}  // namespace
}  // namespace kv
