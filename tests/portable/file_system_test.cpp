// Folders made with their parents, on either system's separators.
#include <gtest/gtest.h>

#include "host/ScratchFolder.h"
#include "portable/FileSystem.h"

namespace {

using zephyr::portable::IsFolder;
using zephyr::portable::IsPathSeparator;
using zephyr::portable::MakeFolders;

TEST(FileSystem, MakeFoldersMakesWhatIsMissingOnly) {
    zephyr::hostkit::ScratchFolder folder;
    const std::string base = folder.Join("");
    const bool windows = IsPathSeparator('\\');
    const struct {
        std::string path;
        bool made;
        std::string folder;  // what stands afterwards
    } cases[] = {
        {base + "a/b/c", true, base + "a/b/c"},
        {base + "a/b/c", true, base + "a/b/c"},  // already there
        {base + "a//d/", true, base + "a/d"},
        // A file in the way.
        {base + "f/g", false, base + "f"},
        // '\\' separates names on Windows only; elsewhere it is part of a name.
        {base + "w\\x", true, windows ? base + "w/x" : base + "w\\x"},
    };
    folder.WriteFile("f", "file");
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(MakeFolders(c.path, &error), c.made) << c.path;
        EXPECT_EQ(error.empty(), c.made) << c.path << ": " << error;
        if (c.made) {
            EXPECT_TRUE(IsFolder(c.folder)) << c.folder;
        }
    }
    EXPECT_FALSE(IsFolder(base + "f/g"));
    std::string error;
    EXPECT_FALSE(MakeFolders("", &error));
    EXPECT_EQ(error, "empty directory name");
}

}  // namespace
