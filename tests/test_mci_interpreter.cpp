// The multimedia command interpreter: parsing, replies and error codes, the
// "cdaudio" device over a generated disc image and the file player.

#include "base/LateLibrary.h"
#include "music/mci/MciCdTime.h"
#include "music/mci/MciCommand.h"
#include "music/mci/MciErrors.h"
#include "music/mci/MciInterpreter.h"
#include "music/mci/Sound.h"
#include "music/mci/SoundLibraries.h"
#include "music/mci/SoundOutput.h"
#include "support/music_test_audio.h"
#include "testmedia/StallingFileSystem.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <random>
#include <thread>

namespace tav {
namespace {

using test::CdImageTrack;
using test::TempFolder;

struct Reply {
    std::uint32_t code;
    std::string text;
};

Reply Send(const std::string& command, std::uint32_t length = 512) {
    std::vector<char> buffer(length + 1, '\x7f');
    const std::uint32_t code = mciSendStringA(command.c_str(), buffer.data(), length, nullptr);
    return {code, length ? std::string(buffer.data()) : std::string()};
}

class Interpreter : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        mci::CloseAll();
        mci::SetDefaultCdSource("");
    }
    void TearDown() override { mci::CloseAll(); }
    TempFolder dir;
};

TEST(MciCommandParse, WordsDeviceAndOpenPaths) {
    struct Case {
        const char* text;
        std::uint32_t code;
        const char* verb;
        const char* device;
        std::size_t words;
    };
    const Case cases[] = {
        {"status cdaudio number of tracks", 0, "status", "cdaudio", 3},
        {"  PLAY\tcdaudio   from 3  ", 0, "play", "cdaudio", 2},
        {"open /a b/c d.mp3 type MPEGVideo Alias MP3Play", 0, "open", "/a b/c d.mp3", 4},
        {"open /x/my type song.mp3 type mpegvideo alias m", 0, "open", "/x/my type song.mp3", 4},
        {"open /a b/c.wav alias w", 0, "open", "/a b/c.wav", 2},
        {"open \"/q r/s.mp3\" type mpegvideo", 0, "open", "/q r/s.mp3", 2},
        {"open /m/12\" Mix.mp3 type MPEGVideo Alias MP3Play", 0, "open", "/m/12\" Mix.mp3", 4},
        {"Open /m/\"Live\" 曲.wav type waveaudio alias \"my tune\"", 0, "open", "/m/\"Live\" 曲.wav", 4},
        {"open /long/path/cut off here", 0, "open", "/long/path/cut off here", 0},
        {"status \"unclosed", mci::kNoClosingQuote, "", "", 0},
        {"", mci::kMissingCommandString, "", "", 0},
        {"   ", mci::kMissingCommandString, "", "", 0},
        {"play", mci::kMissingDeviceName, "", "", 0},
        {"play \"\"", mci::kMissingDeviceName, "", "", 0},
    };
    for (const auto& c : cases) {
        mci::Command command;
        const auto code = mci::ParseCommand(c.text, command);
        EXPECT_EQ(code, c.code) << c.text;
        if (code != 0) continue;
        EXPECT_EQ(command.verb, c.verb) << c.text;
        EXPECT_EQ(command.device, c.device) << c.text;
        EXPECT_EQ(command.words.size(), c.words) << c.text;
    }
}

TEST(MciCdTime, PositionsRoundTripInEveryFormat) {
    mci::CdToc toc;
    toc.tracks = {{1, 0, true}, {2, 300, true}, {3, 5000, true}};
    toc.leadOut = 9000;
    struct Case {
        mci::TimeFormat format;
        std::int64_t sector;
        const char* text;
    };
    const Case cases[] = {
        {mci::TimeFormat::Msf, 0, "00:02:00"},
        {mci::TimeFormat::Msf, 300, "00:06:00"},
        {mci::TimeFormat::Msf, 4500 * 2 - 150, "02:00:00"},
        {mci::TimeFormat::Tmsf, 300, "02:00:00:00"},
        {mci::TimeFormat::Tmsf, 5000 + 75 * 61 + 3, "03:01:01:03"},
        {mci::TimeFormat::Milliseconds, 300, "6000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mci::FormatPosition(c.format, c.sector, toc), c.text);
        std::int64_t back = -1;
        EXPECT_EQ(mci::ParsePosition(c.format, c.text, toc, back), 0u) << c.text;
        EXPECT_EQ(back, c.sector) << c.text;
    }
    // Short forms and bad values.
    std::int64_t sector = 0;
    EXPECT_EQ(mci::ParsePosition(mci::TimeFormat::Tmsf, "3", toc, sector), 0u);
    EXPECT_EQ(sector, 5000);
    EXPECT_EQ(mci::ParsePosition(mci::TimeFormat::Tmsf, "4", toc, sector), mci::kOutOfRange);
    EXPECT_EQ(mci::ParsePosition(mci::TimeFormat::Msf, "1:60", toc, sector), mci::kOutOfRange);
    EXPECT_EQ(mci::ParsePosition(mci::TimeFormat::Msf, "Error:282", toc, sector), mci::kBadInteger);
    EXPECT_EQ(mci::ParsePosition(mci::TimeFormat::Msf, "1::2", toc, sector), mci::kBadInteger);
    EXPECT_EQ(mci::ParsePosition(mci::TimeFormat::Milliseconds, "99999999999999999", toc, sector), mci::kOutOfRange);
    EXPECT_EQ(mci::FormatLength(mci::TimeFormat::Tmsf, 75 * 62 + 5), "01:02:05");
}

TEST_F(Interpreter, ErrorsForBadCommandsAndDevices) {
    struct Case {
        const char* command;
        std::uint32_t code;
    };
    const Case cases[] = {
        {"", mci::kMissingCommandString},
        {"dance cdaudio", mci::kUnrecognizedCommand},
        {"status MP3Play mode", mci::kInvalidDeviceName},
        {"stop nothing", mci::kInvalidDeviceName},
        {"close MP3Play", mci::kInvalidDeviceName},
        {"open /no/such/file.mp3 type MPEGVideo Alias MP3Play", mci::kFileNotFound},
        {"open /no/such/file.xyz", mci::kExtensionNotFound},
        {"open gadget", mci::kInvalidDeviceName},
        {"open /x.mp3 type toaster", mci::kInvalidDeviceName},
        {"open /x.mp3 type mpegvideo alias", mci::kMissingStringArgument},
        {"open /x.mp3 type mpegvideo bogus", mci::kUnrecognizedKeyword},
        {"open /nowhere/disc.cue type cdaudio alias cd", mci::kFileNotFound},
    };
    for (const auto& c : cases) EXPECT_EQ(Send(c.command).code, c.code) << c.command;
    // The disc library ends the process on some errors unless its log is taken over.
    EXPECT_EQ(Send("open " + dir.Path() + " type cdaudio alias folder").code, mci::kFileNotFound);
}

TEST_F(Interpreter, ErrorTextsAndReplyBuffer) {
    char text[256] = {};
    EXPECT_TRUE(mciGetErrorStringA(mci::kInvalidDeviceName, text, sizeof text));
    EXPECT_STREQ(text, "The specified device is not open or is not recognized by MCI.");
    EXPECT_TRUE(mciGetErrorStringA(mci::kFileNotFound, text, 5));
    EXPECT_STREQ(text, "Cann");
    EXPECT_FALSE(mciGetErrorStringA(12345, text, sizeof text));
    EXPECT_FALSE(mciGetErrorStringA(mci::kFileNotFound, nullptr, 10));

    const std::string cue = test::WriteCdImage(dir.Path(), "disc", {{440, 1}, {550, 1}});
    ASSERT_EQ(Send("open " + cue + " type cdaudio alias cd").code, 0u);
    EXPECT_EQ(Send("status cd mode", 4).code, mci::kParamOverflow);
    EXPECT_EQ(Send("status cd mode", 4).text, "sto");
    EXPECT_EQ(Send("status cd mode", 8).text, "stopped");
    EXPECT_EQ(Send("open " + cue + " type cdaudio alias CD").code, mci::kDuplicateAlias);
    EXPECT_EQ(mciSendStringA("status cd mode", nullptr, 0, nullptr), 0u);
}

TEST_F(Interpreter, CdImageStatusAndPlay) {
    const std::string cue = test::WriteCdImage(dir.Path(), "disc", {{440, 2}, {550, 3}, {660, 2}});
    mci::SetDefaultCdSource(cue);
    ASSERT_EQ(Send("open cdaudio").code, 0u);
    // An unknown format is refused and the device stays with minutes:seconds:frames.
    EXPECT_EQ(Send("set cdaudio time format tmst").code, mci::kBadConstant);
    EXPECT_EQ(Send("status cdaudio time format").text, "msf");

    struct Case {
        const char* command;
        const char* reply;
    };
    const Case stopped[] = {
        {"status cdaudio mode", "stopped"},
        {"status cdaudio number of tracks", "3"},
        {"status cdaudio current track", "1"},
        {"status cdaudio position", "00:02:00"},
        {"status cdaudio position track 2", "00:04:00"},
        {"status cdaudio length", "00:07:00"},
        {"status cdaudio length track 2", "00:03:00"},
        {"status cdaudio type track 3", "audio"},
        {"status cdaudio media present", "true"},
    };
    for (const auto& c : stopped) EXPECT_EQ(Send(c.command).text, c.reply) << c.command;
    EXPECT_EQ(Send("status cdaudio position track 4").code, mci::kOutOfRange);
    EXPECT_EQ(Send("status cdaudio position track 0").code, mci::kOutOfRange);
    EXPECT_EQ(Send("play cdaudio from Error:282").code, mci::kBadInteger);

    ASSERT_EQ(Send("set cdaudio time format tmsf").code, 0u);
    EXPECT_EQ(Send("status cdaudio position track 3").text, "03:00:00:00");
    EXPECT_EQ(Send("status cdaudio length track 3").text, "00:02:00");
    ASSERT_EQ(Send("play cdaudio from 02:00:01:00").code, 0u);
    EXPECT_EQ(Send("status cdaudio mode").text, "playing");
    EXPECT_EQ(Send("status cdaudio current track").text, "2");
    EXPECT_EQ(Send("pause cdaudio").code, 0u);
    EXPECT_EQ(Send("status cdaudio mode").text, "paused");
    EXPECT_EQ(Send("stop cdaudio").code, 0u);
    EXPECT_EQ(Send("status cdaudio mode").text, "stopped");
    EXPECT_EQ(Send("status cdaudio current track").text, "2");
    EXPECT_EQ(Send("seek cdaudio to 3").code, 0u);
    EXPECT_EQ(Send("status cdaudio position").text, "03:00:00:00");
    EXPECT_EQ(Send("play cdaudio from 3 to 2").code, mci::kOutOfRange);
    EXPECT_EQ(Send("close cdaudio").code, 0u);
    EXPECT_EQ(Send("status cdaudio mode").code, mci::kInvalidDeviceName);
}

TEST_F(Interpreter, CdPlaysToItsEndAndStops) {
    const std::string cue = test::WriteCdImage(dir.Path(), "short", {{440, 0.2}, {550, 0.2}});
    ASSERT_EQ(Send("open " + cue + " type cdaudio alias cd").code, 0u);
    ASSERT_EQ(Send("play cd from 00:02:10").code, 0u);
    for (int i = 0; i < 500 && Send("status cd mode").text == "playing"; ++i) usleep(20000);
    EXPECT_EQ(Send("status cd mode").text, "stopped");
    EXPECT_EQ(Send("status cd position").text, "00:02:30");
    // A plain play at the end of the disc starts it again.
    ASSERT_EQ(Send("play cd").code, 0u);
    EXPECT_EQ(Send("status cd mode").text, "playing");
    EXPECT_EQ(Send("status cd current track").text, "1");
}

TEST_F(Interpreter, DiscWithoutAudioIsNotReady) {
    const std::string cue = test::WriteCdImage(dir.Path(), "data", {{0, 1}});
    ASSERT_EQ(Send("open " + cue + " type cdaudio alias cd").code, 0u);
    EXPECT_EQ(Send("status cd mode").text, "not ready");
    EXPECT_EQ(Send("status cd current track").code, mci::kDeviceNotReady);
    EXPECT_EQ(Send("play cd").code, mci::kDeviceNotReady);

    // A data track in the middle ends a whole-disc play where it begins.
    const std::string mixed = test::WriteCdImage(dir.Path(), "mixed", {{0, 1}, {440, 1}, {0, 1}});
    ASSERT_EQ(Send("open " + mixed + " type cdaudio alias mixed").code, 0u);
    ASSERT_EQ(Send("play mixed").code, 0u);
    EXPECT_EQ(Send("status mixed current track").text, "2");
}

TEST_F(Interpreter, FilePlayerWithBlanksAndQuotesInPath) {
    const std::string wav = dir.File("a \"tone\" with 12\" blanks.wav");
    ASSERT_TRUE(test::WriteToneWav(wav, 440, 2));
    ASSERT_EQ(Send("open " + wav + " type MPEGVideo Alias Tune").code, 0u);
    EXPECT_EQ(Send("status tune mode").text, "stopped");
    EXPECT_EQ(Send("status tune length").text, "2000");
    ASSERT_EQ(Send("play TUNE").code, 0u);
    EXPECT_EQ(Send("status tune mode").text, "playing");
    EXPECT_EQ(Send("play tune from 9000").code, mci::kOutOfRange);
    EXPECT_EQ(Send("play tune to 100").code, mci::kUnsupportedFunction);
    EXPECT_EQ(Send("stop tune").code, 0u);
    EXPECT_EQ(Send("status tune mode").text, "stopped");
    EXPECT_EQ(Send("play tune from 0").code, 0u);
    EXPECT_EQ(Send("status tune mode").text, "playing");
    EXPECT_EQ(Send("close tune").code, 0u);
    EXPECT_EQ(Send("status tune mode").code, mci::kInvalidDeviceName);

    const std::string junk = dir.File("junk.mp3");
    { std::ofstream(junk) << "not a sound at all"; }
    EXPECT_EQ(Send("open " + junk + " type MPEGVideo Alias junk").code, mci::kInvalidFile);
}

// A music file on a share that has stopped answering holds no caller: the
// open returns and the device is not ready; a play sent meanwhile starts once
// the file comes in. The looped system sound neither holds its start nor its stop.
TEST_F(Interpreter, AFileThatDoesNotAnswerYetPlaysOnceItComesIn) {
    using Stall = test::StallingFileSystem::Stall;
    const std::string wav = dir.File("tone.wav");
    ASSERT_TRUE(test::WriteToneWav(wav, 440, 2));
    std::ifstream in(wav, std::ios::binary);
    const std::string sound((std::istreambuf_iterator<char>(in)), {});
    const struct {
        const char* name;
        Stall stall;
    } cases[] = {{"lookup", Stall::Lookup}, {"open", Stall::Open}, {"read", Stall::Read}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::StallingFileSystem share(dir.File("share"));
        if (!share.ok()) GTEST_SKIP() << share.whyNot();
        share.AddFile("song.mp3", sound, c.stall);
        share.AddFile("loop.wav", sound, c.stall);
        ASSERT_EQ(Send("open " + share.Path("song.mp3") + " type MPEGVideo Alias m").code, 0u);
        EXPECT_EQ(Send("status m mode").text, "not ready");
        EXPECT_EQ(Send("status m ready").text, "false");
        EXPECT_EQ(Send("play m").code, 0u);
        EXPECT_TRUE(PlaySoundA(share.Path("loop.wav").c_str(), nullptr, SND_ASYNC | SND_LOOP));
        EXPECT_TRUE(PlaySoundA(nullptr, nullptr, 0)) << "the stop waits for nothing";
        share.Resume();
        std::string mode;
        for (int i = 0; i < 500 && (mode = Send("status m mode").text) != "playing"; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(mode, "playing") << "the play sent before the file came in";
        EXPECT_EQ(Send("status m length").text, "2000");
        EXPECT_EQ(Send("close m").code, 0u);
    }
}

TEST_F(Interpreter, RandomAndMutatedCommandsNeverCrash) {
    const std::string cue = test::WriteCdImage(dir.Path(), "fuzz", {{440, 1}, {550, 1}});
    const std::string wav = dir.File("fuzz.wav");
    ASSERT_TRUE(test::WriteToneWav(wav, 440, 0.5));
    const std::vector<std::string> seeds = {"open " + cue + " type cdaudio alias cd",
                                            "open " + wav + " type MPEGVideo Alias m",
                                            "status cd current track",
                                            "status cd position track 2",
                                            "play cd from 02:00:00:10 to 02:00:00:20",
                                            "set cd time format tmsf",
                                            "set cd time format milliseconds",
                                            "play m from 0",
                                            "status m mode",
                                            "seek cd to end",
                                            "stop m",
                                            "close cd",
                                            "close all",
                                            "pause cd",
                                            "resume m",
                                            "status cd length track 1"};
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz0123456789 :\"\t/.-ACDMPT";
    std::mt19937 random(1234);
    auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int round = 0; round < 600; ++round) {
        std::string command = seeds[pick(seeds.size())];
        const int edits = static_cast<int>(pick(4));
        for (int e = 0; e < edits && !command.empty(); ++e) {
            const std::size_t at = pick(command.size());
            switch (pick(4)) {
            case 0: command.erase(at, 1 + pick(6)); break;
            case 1: command.insert(at, 1, alphabet[pick(alphabet.size())]); break;
            case 2: command[at] = alphabet[pick(alphabet.size())]; break;
            default: {
                const std::string& extra = seeds[pick(seeds.size())];
                command += " " + extra.substr(pick(extra.size()));
                break;
            }
            }
        }
        if (round % 7 == 0) {
            command.clear();
            for (std::size_t n = pick(40); n > 0; --n) command += static_cast<char>(1 + pick(255));
        }
        const auto reply = Send(command, static_cast<std::uint32_t>(pick(40)));
        EXPECT_LT(reply.text.size(), 40u);
    }
}

TEST_F(Interpreter, SystemSoundRefusesWhatItCannotPlay) {
    const std::string wav = dir.File("beep.wav");
    ASSERT_TRUE(test::WriteToneWav(wav, 440, 0.2));
    EXPECT_FALSE(PlaySoundA(wav.c_str(), nullptr, SND_LOOP));  // a loop must be asynchronous
    EXPECT_FALSE(PlaySoundA(dir.File("missing.wav").c_str(), nullptr, SND_ASYNC));
    EXPECT_FALSE(PlaySoundA("/dev/zero", nullptr, SND_ASYNC));
    EXPECT_FALSE(PlaySoundA("SystemStart", nullptr, SND_ALIAS | SND_ASYNC));
    EXPECT_TRUE(PlaySoundA(wav.c_str(), nullptr, SND_ASYNC | SND_LOOP));
    EXPECT_FALSE(PlaySoundA(wav.c_str(), nullptr, SND_ASYNC | SND_NOSTOP));
    EXPECT_TRUE(PlaySoundA(nullptr, nullptr, 0));
}

// The sound and disc libraries are loaded at the first sound or disc; on a
// machine without them there is no output device and no drive, and the
// same requests work again once the libraries are there.
TEST_F(Interpreter, WithoutTheSoundLibrariesThereIsNoOutputAndNoDrive) {
    const std::string wav = dir.File("beep.wav");
    ASSERT_TRUE(test::WriteToneWav(wav, 440, 0.2));
    const std::string cue = test::WriteCdImage(dir.Path(), "disc", {{440, 1}});
    mci::SetDefaultCdSource(cue);
    struct Case {
        const char* command;
        std::uint32_t without;  // the code without the libraries; 0 with them
    };
    const Case cases[] = {
        {"open cdaudio alias drive", mci::kDeviceNotInstalled},
        {"open %c type cdaudio alias image", mci::kDeviceNotInstalled},
        {"open %w type waveaudio alias tune", mci::kHardware},
    };
    LateLibrary missing("libtavrelle-missing.so.0");
    // Were a call to slip past the checks, it would end the process naming
    // the library, not jump through a null pointer.
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_DEATH(missing.Function("SDL_Delay"), "libtavrelle-missing\\.so\\.0 is needed but cannot be loaded");
    for (LateLibrary* required : {&missing, static_cast<LateLibrary*>(nullptr)}) {
        SCOPED_TRACE(required ? "without the libraries" : "with them");
        mci::CloseAll();
        sound::ShutdownAudio();
        LateLibrary::AlsoRequireForTest(required);
        EXPECT_EQ(waveOutGetNumDevs() > 0, !required);
        EXPECT_EQ(PlaySoundA(wav.c_str(), nullptr, SND_ASYNC), !required);
        for (const Case& c : cases) {
            std::string command = c.command;
            if (const auto at = command.find("%c"); at != std::string::npos) command.replace(at, 2, cue);
            if (const auto at = command.find("%w"); at != std::string::npos) command.replace(at, 2, wav);
            EXPECT_EQ(Send(command).code, required ? c.without : 0u) << command;
        }
        PlaySoundA(nullptr, nullptr, 0);
    }
}

TEST_F(Interpreter, LibrariesPrintNothingOnFailures) {
    const std::string cue = dir.File("broken.cue");
    { std::ofstream(cue) << "FILE \"missing.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 99:99:99\nGARBAGE\n"; }
    const std::string captured = dir.File("stderr.txt");
    std::fflush(stderr);
    const int saved = dup(2);
    const int file = open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    dup2(file, 2);
    close(file);

    Send("open " + cue + " type cdaudio alias broken");
    sound::ShutdownAudio();
    const std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    waveOutGetNumDevs();
    sound::ShutdownAudio();
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);

    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::ifstream in(captured);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace tav
