// The music module: command helpers against scripted answers, and the CD,
// MP3 and WAV routines against the real interpreter with generated sounds.

#include "music/BackgroundMusic.h"
#include "music/mci/MciErrors.h"
#include "music/mci/MciInterpreter.h"
#include "music/mci/Sound.h"
#include "music/mci/SoundOutput.h"
#include "support/music_test_audio.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace tav {
namespace {

using namespace std::chrono_literals;

// Answers from a table; anything not in it fails with "invalid device name".
class ScriptedMultimedia final : public MultimediaApi {
public:
    std::uint32_t SendString(const char* command, char* reply, std::uint32_t length, void*) override {
        sent.emplace_back(command);
        lengths.push_back(length);
        const auto found = answers.find(command);
        if (found == answers.end()) return mci::kInvalidDeviceName;
        if (reply && length > 0) std::snprintf(reply, length, "%s", found->second.c_str());
        return 0;
    }
    bool GetErrorString(std::uint32_t error, char* text, std::uint32_t length) override {
        return errorTexts && mciGetErrorStringA(error, text, length);
    }
    bool PlaySound(const char*, void*, std::uint32_t) override { return false; }
    std::uint32_t WaveOutDeviceCount() override { return 0; }

    std::map<std::string, std::string> answers;
    std::vector<std::string> sent;
    std::vector<std::uint32_t> lengths;
    bool errorTexts = true;
};

// Waits for a condition the audio thread brings about; the limit only guards
// against a hang on a very busy machine.
bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return condition();
}

// Counts the samples the output mixes while it is added: the audio thread's
// own clock, by which a sound has had the time to end.
struct SamplesMixed : sound::MixSource {
    std::atomic<long long> count{0};
    void MixInto(std::int16_t*, int sampleCount) override { count += sampleCount; }
};

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        mci::CloseAll();
        mci::SetDefaultCdSource("");
        SetMultimediaApi(&recorder);
    }
    void TearDown() override {
        SetMultimediaApi(nullptr);
        mci::CloseAll();
        mci::SetDefaultCdSource("");
    }
    std::string CdQuery(const std::string& command) { return QueryMci(command); }
    void OpenDisc(const std::vector<test::CdImageTrack>& tracks) {
        mci::SetDefaultCdSource(test::WriteCdImage(dir.Path(), "disc", tracks));
        CdPlayer().Open();
    }

    test::TempFolder dir;
    test::RecordingMultimedia recorder;
};

TEST(MusicCommands, SendAndQueryReplies) {
    ScriptedMultimedia api;
    api.answers["status cdaudio current track"] = "4";
    SetMultimediaApi(&api);

    std::string text = "old";
    EXPECT_EQ(SendMciCommand("", text), -1);
    EXPECT_EQ(text, "コマンド文字列が指定されていません");
    EXPECT_TRUE(api.sent.empty());

    EXPECT_EQ(SendMciCommand("status cdaudio current track", text), 0);
    EXPECT_EQ(text, "4");
    EXPECT_EQ(api.lengths.back(), kMciReplyLength);
    EXPECT_EQ(SendMciCommand("status MP3Play mode", text), 263);
    EXPECT_EQ(text, "The specified device is not open or is not recognized by MCI.");
    EXPECT_EQ(LastMusicApiResult(), 263);
    EXPECT_EQ(QueryMci("status MP3Play mode"), "Error:263");
    EXPECT_EQ(QueryMci("status cdaudio current track"), "4");

    api.errorTexts = false;
    EXPECT_EQ(SendMciCommand("status MP3Play mode", text), 263);
    EXPECT_EQ(text, "Error (文字列が取れません)");
    SetMultimediaApi(nullptr);
}

TEST(MusicCommands, PlayRangeShapesAndMp3OpenCommand) {
    ScriptedMultimedia api;
    SetMultimediaApi(&api);
    struct Case {
        const char *from, *to, *sent;
    };
    const Case cases[] = {
        {"", "", "play cdaudio"},
        {"", "00:10:00", "play cdaudio to 00:10:00"},
        {"03:00:00:00", "", "play cdaudio from 03:00:00:00"},
        {"1", "2", "play cdaudio from 1 to 2"},
    };
    for (const auto& c : cases) {
        PlayMciRange("cdaudio", c.from, c.to);
        EXPECT_EQ(api.sent.back(), c.sent);
    }

    api.sent.clear();
    OpenAndPlayMp3("/m/a b.mp3");
    ASSERT_EQ(api.sent.size(), 1u);  // the open failed, so no play follows
    const std::string open = "open /m/a b.mp3 type MPEGVideo Alias MP3Play";
    EXPECT_EQ(api.sent[0], open + std::string(255 - open.size(), ' '));
    // A command longer than the padding is sent whole.
    api.sent.clear();
    std::string path = "/" + std::string(230, 'x') + "/曲.mp3";
    OpenAndPlayMp3(path);
    ASSERT_EQ(api.sent.size(), 1u);
    EXPECT_EQ(api.sent[0], "open " + path + " type MPEGVideo Alias MP3Play");
    SetMultimediaApi(nullptr);
}

TEST(MusicCommands, MusicFileKindByLastThreeCharacters) {
    const std::pair<const char*, MusicFileKind> cases[] = {
        {"/m/song.Mp3", MusicFileKind::Mp3}, {"/m/SONG.MP3", MusicFileKind::Mp3},   {"/m/a.wav", MusicFileKind::Wav},
        {"/m/a.WaV", MusicFileKind::Wav},    {"/m/song.mid", MusicFileKind::Other}, {"", MusicFileKind::Other},
        {"mp3", MusicFileKind::Mp3},         {"/m/a.mp3 ", MusicFileKind::Other},
    };
    for (const auto& [path, kind] : cases) EXPECT_EQ(MusicFileKindOf(path), kind) << path;
}

TEST_F(MusicTest, FirstPollStartsTheChosenTrack) {
    OpenDisc({{440, 4}, {550, 4}, {660, 4}});
    CdPlayer cd(3);
    cd.Poll();
    EXPECT_TRUE(cd.PlaybackOk());
    EXPECT_EQ(cd.CurrentTrack(), "1");
    EXPECT_EQ(cd.TrackCount(), "3");
    EXPECT_TRUE(recorder.Sent("status cdaudio position track 3"));
    EXPECT_TRUE(recorder.Sent("play cdaudio from 00:10:00"));
    EXPECT_EQ(CdQuery("status cdaudio mode"), "playing");
    EXPECT_EQ(CdQuery("status cdaudio current track"), "3");

    // While track 3 plays, a poll changes nothing.
    const auto plays = recorder.Count("play cdaudio from 00:10:00");
    cd.Poll();
    EXPECT_EQ(recorder.Count("play cdaudio from 00:10:00"), plays);
}

TEST_F(MusicTest, PollRestartsTheTrackWhenTheDiscMovedOn) {
    OpenDisc({{440, 4}, {550, 4}, {660, 4}, {770, 4}});
    CdPlayer cd(3);
    ASSERT_EQ(PlayMciRange("cdaudio", "00:14:00", ""), 0);  // the start of track 4
    ASSERT_EQ(CdQuery("status cdaudio current track"), "4");
    cd.Poll();
    EXPECT_TRUE(cd.PlaybackOk());
    EXPECT_EQ(cd.CurrentTrack(), "4");
    EXPECT_EQ(CdQuery("status cdaudio current track"), "3");
    EXPECT_EQ(CdQuery("status cdaudio mode"), "playing");
}

TEST_F(MusicTest, WholeDiscPlaysWhenStopped) {
    OpenDisc({{440, 4}, {550, 4}});
    CdPlayer cd;
    cd.Poll();
    EXPECT_TRUE(recorder.Sent("play cdaudio"));
    EXPECT_EQ(CdQuery("status cdaudio mode"), "playing");
    EXPECT_EQ(CdQuery("status cdaudio current track"), "1");
    cd.Poll();
    EXPECT_EQ(recorder.Count("play cdaudio"), 1u);
}

TEST_F(MusicTest, WholeDiscStartsAgainAfterItsLastAudioTrack) {
    // A play stops where a data track (frequency 0) begins; the poll that
    // finds the disc stopped must carry on with the audio that is left, or
    // start again at the first audio track. Listed: the track each play of
    // the poll starts on.
    struct Case {
        const char* name;
        std::vector<test::CdImageTrack> tracks;
        std::vector<int> starts;
    };
    const Case cases[] = {
        {"data-last", {{440, .3}, {550, .3}, {0, .3}}, {1, 1}},
        {"data-first", {{0, .3}, {550, .3}}, {2, 2}},
        {"data-between", {{440, .3}, {0, .3}, {660, .3}}, {1, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mci::SetDefaultCdSource(test::WriteCdImage(dir.Path(), c.name, c.tracks));
        CdPlayer cd;
        cd.Open();
        std::vector<int> starts;
        int failedPlays = 0;
        for (int tick = 0; tick < 300 && starts.size() < c.starts.size(); ++tick) {
            cd.Poll();
            ASSERT_TRUE(cd.PlaybackOk());
            if (recorder.commands.back() == "play cdaudio") {
                if (recorder.results.back() != 0)
                    ++failedPlays;
                else
                    starts.push_back(std::atoi(CdQuery("status cdaudio current track").c_str()));
            }
            std::this_thread::sleep_for(20ms);
        }
        EXPECT_EQ(starts, c.starts);
        EXPECT_EQ(failedPlays, 0);
        cd.Close();
    }
}

TEST_F(MusicTest, RepeatedDataTrackPlaysNothing) {
    struct Case {
        const char* name;
        std::vector<test::CdImageTrack> tracks;
        int track;
    };
    const Case cases[] = {
        {"data-first", {{0, 1}, {550, 1}}, 1},
        {"data-between", {{440, 1}, {0, 1}, {660, 1}}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mci::SetDefaultCdSource(test::WriteCdImage(dir.Path(), c.name, c.tracks));
        CdPlayer cd(c.track);
        cd.Open();
        recorder.commands.clear();
        for (int tick = 0; tick < 3; ++tick) {
            cd.Poll();
            EXPECT_TRUE(cd.PlaybackOk());
        }
        for (const std::string& command : recorder.commands) EXPECT_NE(command.rfind("play", 0), 0u) << command;
        EXPECT_EQ(CdQuery("status cdaudio mode"), "stopped");
        cd.Close();
    }
}

TEST_F(MusicTest, ArrowKeysMoveBetweenTracks) {
    OpenDisc({{440, 4}, {550, 4}, {660, 4}});
    ASSERT_EQ(PlayMciRange("cdaudio", "00:06:00", ""), 0);  // the start of track 2
    PlayNextTrack();
    EXPECT_EQ(CdQuery("status cdaudio current track"), "3");
    PlayPreviousTrack();
    PlayPreviousTrack();
    EXPECT_EQ(CdQuery("status cdaudio current track"), "1");
    // Before the first track there is nothing: the failure is silent.
    PlayPreviousTrack();
    EXPECT_TRUE(recorder.Sent("play cdaudio from Error:282"));
    EXPECT_EQ(CdQuery("status cdaudio current track"), "1");
    EXPECT_EQ(CdQuery("status cdaudio mode"), "playing");
}

TEST_F(MusicTest, NoDriveEndsPollingAfterTheFirstTick) {
    mci::SetDefaultCdSource(dir.File("no-such-drive"));
    CdPlayer cd(2);
    cd.Open();
    recorder.commands.clear();
    cd.Poll();
    EXPECT_FALSE(cd.PlaybackOk());
    EXPECT_EQ(cd.CurrentTrack(), "Error:263");
    EXPECT_EQ(recorder.commands.size(), 1u);
    // The saver closes the CD only while its poll timer still runs.
    if (cd.PlaybackOk()) cd.Close();
    EXPECT_FALSE(recorder.Sent("stop cdaudio"));
}

TEST_F(MusicTest, Mp3RestartsFromTheStartAfterItEnds) {
    if (!test::Mp3EncoderAvailable()) GTEST_SKIP() << "the lame encoder is not installed";
    const std::string wav = dir.File("short.wav");
    const std::string mp3 = dir.File("short tune.Mp3");
    ASSERT_TRUE(test::WriteToneWav(wav, 440, 0.3));
    ASSERT_TRUE(test::EncodeMp3(wav, mp3));
    ASSERT_EQ(MusicFileKindOf(mp3), MusicFileKind::Mp3);

    OpenAndPlayMp3(mp3);
    EXPECT_TRUE(recorder.Sent("play MP3Play"));
    EXPECT_TRUE(IsMp3Playing());
    ASSERT_TRUE(WaitFor([] { return !IsMp3Playing(); }));
    RestartMp3IfStopped();
    EXPECT_TRUE(recorder.Sent("stop MP3Play"));
    EXPECT_TRUE(recorder.Sent("play MP3Play from 0"));
    EXPECT_TRUE(IsMp3Playing());
    EXPECT_LT(std::atoi(QueryMci("status MP3Play position").c_str()), 250);

    CloseMp3();
    EXPECT_EQ(QueryMci("status MP3Play mode"), "Error:263");
}

TEST_F(MusicTest, LongJapanesePathOpens) {
    // 200 Japanese characters (600 bytes) in four names of 50, each within
    // the file system's 255-byte limit. The open command is the same for a
    // WAV file, which needs no encoder.
    std::string folder;
    for (int i = 0; i < 50; ++i) folder += "曲";
    const std::string parent = dir.Path() + "/" + folder + "/" + folder + "/" + folder;
    std::filesystem::create_directories(parent);
    const std::string path = parent + "/" + folder + ".wav";
    ASSERT_TRUE(test::WriteToneWav(path, 440, 2));
    OpenAndPlayMp3(path);
    EXPECT_TRUE(recorder.Sent("play MP3Play"));
    EXPECT_TRUE(IsMp3Playing());
    CloseMp3();
}

TEST_F(MusicTest, FailedMp3OpenStaysQuiet) {
    OpenAndPlayMp3(dir.File("missing.mp3"));
    EXPECT_FALSE(recorder.Sent("play MP3Play"));
    EXPECT_FALSE(IsMp3Playing());
    RestartMp3IfStopped();
    ASSERT_EQ(recorder.results.size(), 5u);
    EXPECT_EQ(recorder.commands.back(), "play MP3Play from 0");
    EXPECT_EQ(recorder.results.back(), mci::kInvalidDeviceName);
    CloseMp3();
}

TEST_F(MusicTest, WavLoopsUntilStopped) {
    const std::string wav = dir.File("loop.wav");
    ASSERT_TRUE(test::WriteToneWav(wav, 440, 0.1));
    PlayWavLoop(wav);
    ASSERT_EQ(recorder.sounds.size(), 1u);
    // Once the output has played five times the file's length, it still sounds.
    SamplesMixed mixed;
    sound::AddMixSource(&mixed);
    EXPECT_TRUE(WaitFor([&] { return mixed.count >= 5 * sound::kOutputRate * sound::kOutputChannels / 10; }))
        << "the output does not play";
    sound::RemoveMixSource(&mixed);
    EXPECT_FALSE(PlaySoundA(wav.c_str(), nullptr, SND_ASYNC | SND_NOSTOP)) << "the loop still sounds";
    StopWav();
    EXPECT_EQ(recorder.sounds.back(), "(stop)");
    EXPECT_TRUE(PlaySoundA(wav.c_str(), nullptr, SND_ASYNC | SND_NOSTOP)) << "nothing sounds any more";
    PlaySoundA(nullptr, nullptr, 0);
}

TEST_F(MusicTest, WavIsSkippedWithoutOutputDevice) {
    const std::string wav = dir.File("skip.wav");
    ASSERT_TRUE(test::WriteToneWav(wav, 440, 0.1));
    mci::CloseAll();
    sound::ShutdownAudio();
    const std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(waveOutGetNumDevs(), 0u);
    PlayWavLoop(wav);
    EXPECT_TRUE(recorder.sounds.empty());
    sound::ShutdownAudio();
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    EXPECT_GT(waveOutGetNumDevs(), 0u);
}

// Stands for the static objects of the program: when the first of them is
// destroyed at the end of a child process below, the audio output must
// already be closed and its thread stopped.
struct AudioClosedBeforeStatics {
    ~AudioClosedBeforeStatics() {
        if (inExitChild && Mix_QuerySpec(nullptr, nullptr, nullptr) != 0) _exit(3);
    }
    bool inExitChild = false;
} g_exitWatch;

// One end of a process with music: the output opens on the disk driver,
// whose tiny delay runs the mixer callback without pause so that the end
// always meets it at work. Even runs end the music as the show does; odd
// runs exit with the CD and the WAV still sounding.
[[noreturn]] void PlayAndExit(int run, const std::string& cue, const std::string& wav) {
    alarm(20);
    g_exitWatch.inExitChild = true;
    if (!std::freopen("/dev/null", "w", stderr)) _exit(4);  // the disk driver announces itself
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    mci::SetDefaultCdSource(cue);
    CdPlayer cd;
    cd.Open();
    cd.Poll();
    PlayWavLoop(wav);
    if (run % 2 == 0) {
        cd.Close();
        StopWav();
    }
    std::exit(0);
}

TEST_F(MusicTest, ExitWhileAudioMixesNeverCrashes) {
    const std::string cue = test::WriteCdImage(dir.Path(), "exit", {{440, 2}});
    const std::string wav = dir.File("exit.wav");
    ASSERT_TRUE(test::WriteToneWav(wav, 550, 0.1));
    // Only the children open the output: no audio thread may run at a fork.
    mci::CloseAll();
    sound::ShutdownAudio();
    std::fflush(nullptr);
    // Closing the output waits for the device to drain (about 0.1 s), so
    // the runs go in batches.
    constexpr int kRuns = 300, kBatch = 10;
    int failures = 0;
    std::string first;
    for (int batch = 0; batch < kRuns; batch += kBatch) {
        std::map<pid_t, int> children;
        for (int run = batch; run < batch + kBatch; ++run) {
            const pid_t child = fork();
            if (child == 0) PlayAndExit(run, cue, wav);
            ASSERT_GT(child, 0);
            children[child] = run;
        }
        for (const auto& [child, run] : children) {
            int status = 0;
            waitpid(child, &status, 0);
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0) continue;
            if (failures++ == 0)
                first = "run " + std::to_string(run) +
                        (WIFSIGNALED(status) ? ": signal " + std::to_string(WTERMSIG(status))
                                             : ": status " + std::to_string(WEXITSTATUS(status)));
        }
    }
    EXPECT_EQ(failures, 0) << "first failure: " << first;
}

}  // namespace
}  // namespace tav
