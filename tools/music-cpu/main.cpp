// Measures the CPU time of the whole process (all threads: caller, audio
// thread, CD reader) while the music module plays an MP3 file and a CD track,
// against the same time spent idle with the output open.
//
//   tavrelle-music-cpu [--seconds N] [--mp3 FILE] [--cue FILE]
//
// Without files it makes a tone MP3 (with lame) and a tone disc image. The
// audio driver is the one SDL_AUDIODRIVER names ("dummy" when unset).

#include "music/BackgroundMusic.h"
#include "music/mci/MciInterpreter.h"
#include "music/mci/Sound.h"
#include "testmedia/SoundWriters.h"
#include "testmedia/TempFolder.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs for the given wall time, calling tick every 200 ms as the saver's
// timers would, and returns the CPU share of one core in percent.
double Measure(double seconds, const std::function<void()>& tick) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        tick();
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return 100.0 * (CpuSeconds() - cpuStart) / wall;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 5;
    std::string mp3, cue;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (arg == "--mp3" && i + 1 < argc)
            mp3 = argv[++i];
        else if (arg == "--cue" && i + 1 < argc)
            cue = argv[++i];
        else {
            std::fprintf(stderr, "usage: tavrelle-music-cpu [--seconds N] [--mp3 FILE] [--cue FILE]\n");
            return 2;
        }
    }
    if (!(seconds > 0)) seconds = 5;
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    tav::test::TempFolder dir;
    if (mp3.empty()) {
        const std::string wav = dir.File("tone.wav");
        tav::test::WriteToneWav(wav, 440, seconds + 2);
        mp3 = dir.File("tone.mp3");
        if (!tav::test::EncodeMp3(wav, mp3)) mp3.clear();
    }
    if (cue.empty()) cue = tav::test::WriteCdImage(dir.Path(), "disc", {{440, 2}, {660, seconds + 2}});

    if (tav::waveOutGetNumDevs() == 0) {
        std::fprintf(stderr, "no audio output opens\n");
        return 1;
    }
    const double idle = Measure(seconds, [] {});
    std::printf("{\"driver\": \"%s\", \"seconds\": %.1f, \"idle_cpu_percent\": %.2f", std::getenv("SDL_AUDIODRIVER"),
                seconds, idle);

    if (!mp3.empty()) {
        tav::OpenAndPlayMp3(mp3);
        const bool playing = tav::IsMp3Playing();
        const double cpu = Measure(seconds, [] { tav::RestartMp3IfStopped(); });
        tav::CloseMp3();
        if (playing) std::printf(", \"mp3_cpu_percent\": %.2f", cpu);
    }

    tav::mci::SetDefaultCdSource(cue);
    tav::CdPlayer player(2);
    player.Open();
    player.Poll();
    const bool cdOk = player.PlaybackOk();
    const double cd = Measure(seconds, [&player] { player.Poll(); });
    player.Close();
    if (cdOk) std::printf(", \"cd_cpu_percent\": %.2f", cd);
    std::printf("}\n");
    tav::mci::CloseAll();
    return 0;
}
