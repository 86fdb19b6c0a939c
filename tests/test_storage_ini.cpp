// "Tavrelle.ini" with the private-profile rules.
#include <gtest/gtest.h>

#include <random>

#include "base/Text.h"
#include "storage/IniFile.h"
#include "support/storage_temp_folder.h"

namespace tav {
namespace {

TEST(IniText, WritesKeepEveryForeignLine) {
    const std::string original =
        "; written by hand\n"
        "[Other]\n"
        "BGMﾌｧｲﾙ_0=not ours\n"
        "\n"
        "[Section]\n"
        "; a comment inside\n"
        "半透明_0=100\n"
        "stray line\n"
        "\n"
        "[Last]\n"
        "x=1";
    std::string text = SetIniValueInText(original, "Section", "半透明_0", "120");
    text = SetIniValueInText(text, "Section", "BGMﾌｧｲﾙ_0", "/music/a b.mp3");
    text = SetIniValueInText(text, "New", "k", "v");
    EXPECT_EQ(text,
              "; written by hand\n"
              "[Other]\n"
              "BGMﾌｧｲﾙ_0=not ours\n"
              "\n"
              "[Section]\n"
              "; a comment inside\n"
              "半透明_0=120\n"
              "stray line\n"
              "BGMﾌｧｲﾙ_0=/music/a b.mp3\n"
              "\n"
              "[Last]\n"
              "x=1\n"
              "[New]\n"
              "k=v\n");
    EXPECT_EQ(GetIniValueFromText(text, "Section", "BGMﾌｧｲﾙ_0"), "/music/a b.mp3");
    EXPECT_EQ(GetIniValueFromText(text, "Other", "BGMﾌｧｲﾙ_0"), "not ours");
}

TEST(IniText, NewFileAndCrLfFiles) {
    EXPECT_EQ(SetIniValueInText("", "Section", "半透明_1", "200"), "[Section]\n半透明_1=200\n");
    EXPECT_EQ(SetIniValueInText("[Section]\r\na=1\r\n", "section", "B", "2"), "[Section]\r\na=1\r\nB=2\r\n");
    EXPECT_EQ(GetIniValueFromText("[Section]\r\na=1\r\n", "Section", "a"), "1");
}

TEST(IniText, LookupRules) {
    const std::string text =
        "\xEF\xBB\xBF[ section ]\n"
        "  Key One =  spaced value  \n"
        ";Key2=commented\n"
        "quoted=\"  q  \"\n"
        "long=" +
        std::string(300, 'L') +
        "\n"
        "[Section]\n"
        "late=second section with the same name is not read\n";
    struct Case {
        const char* section;
        const char* key;
        std::string want;
    };
    const Case cases[] = {
        {"SECTION", "key one", "spaced value"},
        {"Section", "KEY ONE", "spaced value"},
        {"Section", "Key2", ""},
        {"Section", "quoted", "  q  "},
        {"Section", "long", std::string(255, 'L')},
        {"Section", "late", ""},
        {"Missing", "Key One", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetIniValueFromText(text, c.section, c.key), c.want) << c.section << "/" << c.key;
}

TEST(IniText, ALineBreakInAValueCannotAddLines) {
    const std::string text = SetIniValueInText("", "Section", "BGMﾌｧｲﾙ_0", "/a\n[Section]\n半透明_0=1");
    EXPECT_EQ(text, "[Section]\nBGMﾌｧｲﾙ_0=/a\n");
}

// Files made of random lines: after any write, the written key reads back and
// every other key reads as before.
TEST(IniText, AWriteChangesOnlyItsOwnKey) {
    const std::vector<std::string> pieces = {
        "[Section]",
        "[section ]",
        "[Other]",
        "[",
        "[]",
        "  [Section]  ",
        "; c=1",
        "a=1",
        " A = 2 ",
        "b=",
        "=x",
        "noequals",
        "",
        "   ",
        "半透明_0=5",
        "BGMﾌｧｲﾙ_0=/x",
        "\xEF\xBB\xBF[Section]",
        "q=\"v\"",
    };
    const std::vector<std::pair<std::string, std::string>> probes = {
        {"Section", "a"},       {"Section", "b"}, {"Other", "a"},   {"Section", "半透明_0"},
        {"Other", "BGMﾌｧｲﾙ_0"}, {"", "a"},        {"Section", "q"},
    };
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const int lines = static_cast<int>(random() % 8);
        const char* end = random() % 2 ? "\n" : "\r\n";
        for (int i = 0; i < lines; ++i) {
            text += pieces[random() % pieces.size()];
            if (i + 1 < lines || random() % 2) text += end;
        }
        const auto& [section, key] = probes[random() % probes.size()];
        const std::string value = "v" + std::to_string(round);
        const std::string written = SetIniValueInText(text, section, key, value);
        ASSERT_EQ(GetIniValueFromText(written, section, key), value) << "text:\n" << text;
        for (const auto& [s, k] : probes) {
            if (EqualsIgnoringAsciiCase(s, section) && EqualsIgnoringAsciiCase(k, key)) continue;
            ASSERT_EQ(GetIniValueFromText(written, s, k), GetIniValueFromText(text, s, k))
                << s << "/" << k << " after writing " << section << "/" << key << " into:\n"
                << text;
        }
    }
}

TEST(IniFile, RoundTripThroughTheFile) {
    test::StorageTempFolder folder;
    folder.CreateData();
    const std::string ini = folder.File("Tavrelle.ini");
    EXPECT_EQ(GetIniString("Section", "半透明_0", ini), "") << "absent file";
    ASSERT_TRUE(WriteIniString("Section", "半透明_0", "42", ini));
    ASSERT_TRUE(WriteIniString("Section", "BGMﾌｧｲﾙ_0", "/x/ü.wav", ini));
    EXPECT_EQ(GetIniString("section", "半透明_0", ini), "42");
    EXPECT_EQ(GetIniString("Section", "bgmﾌｧｲﾙ_0", ini), "/x/ü.wav");
    EXPECT_EQ(test::ReadText(ini), "[Section]\n半透明_0=42\nBGMﾌｧｲﾙ_0=/x/ü.wav\n");

    // Reading stops after the first MiB; a rewrite keeps the whole file.
    const std::string padding(kMaxIniReadBytes, ';');
    test::WriteText(ini, "[Section]\nA=1\n" + padding + "\nB=2\n");
    EXPECT_EQ(GetIniString("Section", "A", ini), "1");
    EXPECT_EQ(GetIniString("Section", "B", ini), "") << "beyond the first MiB";
    ASSERT_TRUE(WriteIniString("Section", "C", "3", ini));
    EXPECT_EQ(test::ReadText(ini), "[Section]\nA=1\n" + padding + "\nB=2\nC=3\n");
}

}  // namespace
}  // namespace tav
