#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "dialogs/FolderScan.h"
#include "support/storage_temp_folder.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

TEST(NamePattern, MatchesIgnoringCase) {
    const struct {
        const char* name;
        const char* pattern;
        bool want;
    } cases[] = {
        {"a.bmp", "*.bmp", true},       {"A.BMP", "*.bmp", true},       {"a.bmp.txt", "*.bmp", false},
        {"x.bmpx", "*.bmp", false},     {"photo.jpeg", "*.jpg", false}, {"a.b.jpg", "*.jpg", true},
        {"photo.jpeg", "*.jpe", false}, {"ab.gif", "a?.gif", true},     {"a.gif", "a?.gif", false},
        {"日本.WMF", "*.wmf", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesNamePattern(c.name, c.pattern), c.want) << c.name << " ~ " << c.pattern;
}

class Scan : public ::testing::Test {
protected:
    test::StorageTempFolder temp;
    std::string dir = temp.Root() + "/pics";
    void SetUp() override { fs::create_directories(dir); }
    void File(const std::string& name, bool readOnly = false) {
        std::ofstream(dir + "/" + name) << "x";
        if (readOnly) fs::permissions(dir + "/" + name, fs::perms::owner_write, fs::perm_options::remove);
    }
};

TEST_F(Scan, NormalThenReadOnlyFilesInPatternOrder) {
    File("z.bmp");
    File("a.BMP");
    File("m.wmf");
    File("k.jpg", true);
    File("b.Gif");
    File(".h.gif");
    File(".hr.bmp", true);
    File("note.txt");
    for (const char* name : {"p.png", "P2.PNG", "w.WebP", "t.tif", "T2.TIFF", "h.heic", "H2.HEIF", "v.avif", "e.JPEG",
                             "f.jpe", "g.Jfif", "e2.jpeg"})
        File(name);
    File("r.AVIF", true);
    File(".hidden.heic");
    File("photo.tif.txt");
    fs::create_directories(dir + "/folder.bmp");
    fs::create_directories(dir + "/sub");
    std::ofstream(dir + "/sub/inner.bmp") << "x";
    const auto found = ScanPictureFolder(dir, {});
    std::vector<std::string> want;
    for (const char* name : {"a.BMP", "z.bmp", "b.Gif", "m.wmf", "e.JPEG", "e2.jpeg", "f.jpe", "g.Jfif", "P2.PNG",
                             "p.png", "w.WebP", "t.tif", "T2.TIFF", "h.heic", "H2.HEIF", "v.avif", "k.jpg", "r.AVIF"})
        want.push_back(dir + "/" + name);
    EXPECT_EQ(found, want);
    EXPECT_EQ(FileAttributes(dir + "/.hr.bmp"), kAttributeReadOnly | kAttributeHidden);
    EXPECT_EQ(FileAttributes(dir + "/folder.bmp"), -1);
}

TEST_F(Scan, AFolderThatCannotBeReadIsReportedOncePerScan) {
    std::vector<std::string> errors;
    int pumped = 0;
    FolderScanHooks hooks{[&](const std::string& e) { errors.push_back(e); }, [&] { ++pumped; }};
    File("plain-file");
    for (const std::string& bad : {dir + "/missing", dir + "/plain-file"}) {
        errors.clear();
        EXPECT_TRUE(ScanPictureFolder(bad, hooks).empty()) << bad;
        EXPECT_EQ(errors.size(), 1u) << bad;
        EXPECT_FALSE(errors.empty() || errors[0].empty()) << bad;
    }
    EXPECT_EQ(ScanPictureFolder(dir + "/missing", {}).size(), 0u) << "no hooks, no report";

    File("a.bmp");
    File("b.jpg");
    errors.clear();
    EXPECT_EQ(ScanPictureFolder(dir + "/", hooks).size(), 2u) << "a trailing slash is allowed";
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(pumped, 2) << "events run after every found file";
}

}  // namespace
}  // namespace tav
