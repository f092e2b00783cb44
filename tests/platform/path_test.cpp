#include "platform/path.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

TEST(Path, JoinsWithOneSeparator)
{
    EXPECT_EQ(InFolder("/a", "b.png"), "/a/b.png");
    EXPECT_EQ(InFolder("/a/", "b.png"), "/a/b.png");
    EXPECT_EQ(InFolder("/", "b.png"), "/b.png");
}

TEST(Path, SplitsFolderNameAndExtension)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* fileName;
        const char* baseName;
        const char* extension;
    };
    for (const Case& c : {
             Case{"my.sprite", "", "my.sprite", "my", ".sprite"},
             Case{"/a/b/Logo.PNG", "/a/b/", "Logo.PNG", "Logo", ".PNG"},
             Case{"/a/icon.small.png", "/a/", "icon.small.png", "icon.small", ".png"},
             Case{"noext", "", "noext", "noext", ""},
             Case{"/a.b/file", "/a.b/", "file", "file", ""},
             Case{"dir/", "dir/", "", "", ""},
         }) {
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNameOf(c.path), c.fileName) << c.path;
        EXPECT_EQ(BaseName(c.path), c.baseName) << c.path;
        EXPECT_EQ(ExtensionOf(c.path), c.extension) << c.path;
    }
}

}  // namespace
}  // namespace tessolo
