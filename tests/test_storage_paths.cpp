// The data folder's location and the small path routines.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "startup/SharedState.h"
#include "storage/ResumeState.h"
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

// Where a show stopped: read back as written, and every file that is not a
// whole state of this very list counts as none.
TEST(ResumeState, ReadsBackOnlyAWholeStateOfTheSameList) {
    test::StorageTempFolder folder;
    ScopedEnv state("XDG_STATE_HOME", folder.Root().c_str());
    EXPECT_EQ(ResumeStatePath(3), folder.Root() + "/tavrelle/resume-3");
    const std::vector<std::string> list = {"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"};
    constexpr int kEffects = 5;
    ResumeState saved;
    saved.NextPicture = 2;
    saved.EffectNumber = 4;
    saved.PictureBag = {true, true, false};
    saved.EffectBag = {false, true, false, false, true};
    const std::string good = ResumeStateText(list, saved);
    // Replaces the first occurrence of `from` in the good text.
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> list;
        bool resumes;
    };
    const Case cases[] = {
        {"as written", good, list, true},
        {"empty bags", ResumeStateText(list, ResumeState{2, 4, {}, {}}), list, true},
        {"a picture changed", good, {"/p/a.jpg", "/p/x.jpg", "/p/c.jpg"}, false},
        {"a picture added", good, {"/p/a.jpg", "/p/b.jpg", "/p/c.jpg", "/p/d.jpg"}, false},
        {"pictures swapped", good, {"/p/b.jpg", "/p/a.jpg", "/p/c.jpg"}, false},
        {"next beyond the list", edited("next 2", "next 4"), list, false},
        {"next 0", edited("next 2", "next 0"), list, false},
        {"effect beyond the table", edited("effect 4", "effect 6"), list, false},
        {"negative effect", edited("effect 4", "effect -1"), list, false},
        {"picture bag of another size", edited("110", "1100"), list, false},
        {"picture bag all drawn", edited("110", "111"), list, false},
        {"not a bag", edited("110", "1x0"), list, false},
        {"another version", edited("resume 1", "resume 2"), list, false},
        {"cut short", good.substr(0, good.size() / 2), list, false},
        {"something after it", good + "more 1\n", list, false},
        {"empty", "", list, false},
    };
    for (const Case& c : cases) {
        const auto read = ParseResumeState(c.text, c.list, kEffects);
        EXPECT_EQ(read.has_value(), c.resumes) << c.name << ":\n" << c.text;
        if (read && std::string(c.name) == "as written") {
            EXPECT_EQ(*read, saved);
        }
    }

    // The file itself: written where it belongs, and one that cannot be read is none.
    EXPECT_FALSE(ReadResumeState(3, list, kEffects)) << "no file yet";
    ASSERT_TRUE(WriteResumeState(3, list, saved));
    EXPECT_EQ(ReadResumeState(3, list, kEffects), saved);
    EXPECT_EQ(std::filesystem::status(folder.Root() + "/tavrelle").permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    EXPECT_FALSE(ReadResumeState(4, list, kEffects)) << "another group";
    std::filesystem::remove(ResumeStatePath(3));
    ASSERT_EQ(::mkfifo(ResumeStatePath(3).c_str(), 0600), 0);
    EXPECT_FALSE(ReadResumeState(3, list, kEffects)) << "a pipe under the name";
    EXPECT_FALSE(WriteResumeState(3, list, saved)) << "a pipe is not replaced";
    std::filesystem::remove(ResumeStatePath(3));

    // Without XDG_STATE_HOME (or with a relative one) the state lives in the home folder.
    ScopedEnv home("HOME", "/home/ann");
    for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative"}) {
        ScopedEnv unset("XDG_STATE_HOME", xdg);
        EXPECT_EQ(ResumeStatePath(0), "/home/ann/.local/state/tavrelle/resume-0") << (xdg ? xdg : "(unset)");
    }
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
