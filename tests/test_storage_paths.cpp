// The data folder's location and the small path routines.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "startup/SharedState.h"
#include "support/storage_temp_folder.h"

namespace tav {
namespace {

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(DataFolderLocation, FollowsXdgDataHome) {
    SetDataFolderOverride(std::nullopt);
    ScopedEnv home("HOME", "/home/ann");
    struct Case {
        const char* xdg;
        const char* want;
    };
    const Case cases[] = {
        {"/data/x", "/data/x/Tavrelle"},
        {"/data/x/", "/data/x/Tavrelle"},
        {nullptr, "/home/ann/.local/share/Tavrelle"},
        {"", "/home/ann/.local/share/Tavrelle"},
        {"relative/dir", "/home/ann/.local/share/Tavrelle"},
    };
    for (const Case& c : cases) {
        ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
        EXPECT_EQ(DataFolderLocation(), c.want) << (c.xdg ? c.xdg : "(unset)");
    }
    SetDataFolderOverride("/tmp/elsewhere");
    EXPECT_EQ(DataFolderLocation(), "/tmp/elsewhere");
    SetDataFolderOverride(std::nullopt);
}

TEST(PathRoutines, FilesFoldersAndTheTrailingSeparator) {
    test::StorageTempFolder folder;
    folder.CreateData();
    const std::string file = folder.File("a b.jpg");
    test::WriteText(file, "x");
    // A pipe is no file, and asking must not wait for a writer.
    const std::string pipe = folder.File("song.mp3");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    struct Case {
        std::string path;
        bool file, dir;
    };
    const Case cases[] = {
        {file, true, false},
        {file + "/", true, false},
        {folder.Data(), false, true},
        {folder.Data() + "/", false, true},
        {folder.Data() + "  ", false, true},
        {folder.File("missing.jpg"), false, false},
        {pipe, false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileExists(c.path), c.file) << '"' << c.path << '"';
        EXPECT_EQ(FolderExists(c.path), c.dir) << '"' << c.path << '"';
    }
    EXPECT_EQ(AddBackslash("/a/b  "), "/a/b/");
    EXPECT_EQ(AddBackslash("/a/b/"), "/a/b/");
    EXPECT_EQ(AddBackslash(""), "/");
    EXPECT_TRUE(IsWindowsNT());
}

TEST(PictureListData, EntriesAreNumberedFromOne) {
    PictureListData list;
    std::vector<std::string> many(40000, "p");
    many[0] = "first";
    many[32766] = "last kept";
    list.Assign(many);
    EXPECT_EQ(list.Count(), 32767);
    EXPECT_EQ(list.Entry(1), "first");
    EXPECT_EQ(list.Entry(32767), "last kept");
    EXPECT_EQ(list.Entry(0), "");
    EXPECT_EQ(list.Entry(32768), "");
}

}  // namespace
}  // namespace tav
