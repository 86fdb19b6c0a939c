// What really leaves the audio output: SDL's "disk" driver writes the mixed
// output to a file, which must hold the tone of the WAV file or CD track.

#include "base/LittleEndian.h"
#include "music/BackgroundMusic.h"
#include "music/mci/MciInterpreter.h"
#include "music/mci/SoundOutput.h"
#include "support/music_test_audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace tav {
namespace {

class DiskOutput : public ::testing::Test {
protected:
    void SetUp() override { SetMultimediaApi(nullptr); }

    // Reopens the output on the disk driver, writing to a new file.
    void StartOutput(const std::string& name) {
        mci::CloseAll();
        sound::ShutdownAudio();
        output = dir.File(name + ".raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    }
    void TearDown() override {
        mci::CloseAll();
        sound::ShutdownAudio();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    // Waits until the driver has written about a second of sound, then
    // closes the output and reads it back.
    std::vector<std::int16_t> Recorded() {
        const std::uintmax_t enough = 44100 * 4;
        std::error_code ec;
        for (int i = 0; i < 1000 && std::filesystem::file_size(output, ec) < enough; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        mci::CloseAll();
        sound::ShutdownAudio();
        std::ifstream in(output, std::ios::binary);
        std::vector<std::int16_t> samples;
        std::uint8_t bytes[2];
        while (in.read(reinterpret_cast<char*>(bytes), 2)) samples.push_back(ReadI16(bytes));
        return samples;
    }

    test::TempFolder dir;
    std::string output;
};

TEST_F(DiskOutput, LoopedWavAndCdTrackReachTheOutput) {
    struct Case {
        const char* name;
        double frequency;
    };
    // A compressed (ADPCM) WAV file is decoded whole, then played like the others.
    for (const Case c : {Case{"wav", 1000}, Case{"adpcm", 800}, Case{"cd", 660}}) {
        SCOPED_TRACE(c.name);
        StartOutput(c.name);
        if (std::string(c.name) != "cd") {
            const std::string wav = dir.File(std::string(c.name) + ".wav");
            ASSERT_TRUE(std::string(c.name) == "wav" ? test::WriteToneWav(wav, c.frequency, 0.25)
                                                     : test::WriteAdpcmToneWav(wav, c.frequency, 0.25));
            PlayWavLoop(wav);
        } else {
            mci::SetDefaultCdSource(test::WriteCdImage(dir.Path(), "disc", {{440, 1}, {c.frequency, 3}}));
            CdPlayer cd(2);
            cd.Open();
            cd.Poll();
            ASSERT_TRUE(cd.PlaybackOk());
        }
        const auto samples = Recorded();
        ASSERT_GT(samples.size(), 44100u);
        const double tone = test::ToneStrength(samples, c.frequency);
        const double other = test::ToneStrength(samples, c.frequency * 1.37);
        EXPECT_GT(tone, 0.05);
        EXPECT_GT(tone, 20 * other);
        mci::SetDefaultCdSource("");
    }
}

}  // namespace
}  // namespace tav
