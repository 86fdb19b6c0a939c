// A WAV file played from a thread of its own: the thread opens the file,
// reads its samples a piece at a time, converts them to the output's format
// and keeps a short buffer filled, which the output mixes in. A file on a
// share that stopped answering holds only that thread, and however long the
// file, no more than kBufferedSamples of it (plus one read) is in memory.
//
// Streamed: PCM of 8, 16, 24 and 32 bits, floating point of 32 and 64 bits,
// A-law and mu-law, any rate, one to eight channels. A compressed file (IMA or
// Microsoft ADPCM) of up to kMaxDecodedFile bytes is decoded whole on the
// reading thread and played from memory; a longer one does not play.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace tav::sound {

class WavStream {
public:
    // One second of the output, stereo samples.
    static constexpr std::size_t kBufferedSamples = 44100 * 2;
    // The longest compressed file decoded whole: about six minutes of
    // 44.1 kHz stereo ADPCM, 128 MiB once decoded.
    static constexpr std::uint64_t kMaxDecodedFile = 32u << 20;

    // Starts playing `path`, once or over and over, and waits at most `wait`
    // for the file to open and its header to be read. Returns nullptr when
    // within that wait the file turned out unplayable; a file still opening
    // after it plays once it is open.
    static std::unique_ptr<WavStream> Start(const std::string& path, bool loop, std::chrono::milliseconds wait);
    // Stops the sound at once; the reading thread ends by itself.
    ~WavStream();
    WavStream(const WavStream&) = delete;
    WavStream& operator=(const WavStream&) = delete;

    // Sound remains to be played (a looped one always has).
    bool Playing() const;

    struct Shared;

private:
    explicit WavStream(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
    std::shared_ptr<Shared> shared_;
};

}  // namespace tav::sound
