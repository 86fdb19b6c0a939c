#include "music/mci/WavStream.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "music/mci/SoundOutput.h"
#include "platform/WorkerDescriptors.h"

namespace tav::sound {

namespace {

// Bytes read from the file at a time.
constexpr std::size_t kReadBytes = 64 * 1024;

// Decoded: the samples of a compressed file, decoded whole (DecodeWhole).
enum class Encoding { Pcm, Float, ALaw, MuLaw, Decoded };

struct WavFormat {
    Encoding encoding = Encoding::Pcm;
    SDL_AudioFormat decodedFormat = 0;  // for Decoded
    int channels = 0;
    int rate = 0;
    int bits = 0;
    int blockAlign = 0;
    std::uint64_t dataStart = 0;
    std::uint64_t dataSize = 0;
};

bool ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const unsigned char* p) {
    return p[0] | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16 |
           static_cast<std::uint32_t>(p[3]) << 24;
}

// The format chunk and where the samples are; false for a file that is not
// a WAV file of a streamed encoding.
bool ReadHeader(int fd, std::uint64_t fileSize, WavFormat& f) {
    unsigned char head[12];
    if (!ReadAt(fd, head, sizeof head, 0) || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return false;
    bool haveFormat = false;
    std::uint64_t at = 12;
    for (int chunks = 0; chunks < 1000 && at + 8 <= fileSize; ++chunks) {
        unsigned char c[8];
        if (!ReadAt(fd, c, 8, at)) return false;
        const std::uint64_t size = U32(c + 4);
        if (std::memcmp(c, "fmt ", 4) == 0) {
            unsigned char fmt[40] = {};
            if (size < 16 || !ReadAt(fd, fmt, static_cast<std::size_t>(std::min<std::uint64_t>(size, 40)), at + 8))
                return false;
            int tag = U16(fmt);
            if (tag == 0xFFFE && size >= 40) tag = U16(fmt + 24);  // the extensible form names it in its GUID
            f.channels = U16(fmt + 2);
            f.rate = static_cast<int>(std::min<std::uint32_t>(U32(fmt + 4), 1u << 20));
            f.blockAlign = U16(fmt + 12);
            f.bits = U16(fmt + 14);
            switch (tag) {
            case 1: f.encoding = Encoding::Pcm; break;
            case 3: f.encoding = Encoding::Float; break;
            case 6: f.encoding = Encoding::ALaw; break;
            case 7: f.encoding = Encoding::MuLaw; break;
            default: return false;
            }
            const bool bitsOk = f.encoding == Encoding::Pcm
                                    ? (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32)
                                : f.encoding == Encoding::Float ? (f.bits == 32 || f.bits == 64)
                                                                : f.bits == 8;
            if (!bitsOk || f.channels < 1 || f.channels > 8 || f.rate < 1000 || f.blockAlign != f.channels * f.bits / 8)
                return false;
            haveFormat = true;
        } else if (std::memcmp(c, "data", 4) == 0) {
            if (!haveFormat) return false;
            f.dataStart = at + 8;
            // A size that runs past the end (or the "unknown" size of a
            // recording cut short) means up to the end of the file.
            f.dataSize = std::min(size, fileSize - f.dataStart);
            f.dataSize -= f.dataSize % static_cast<std::uint64_t>(f.blockAlign);
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

// The samples of a compressed file, decoded whole by SDL.
struct DecodedSound {
    Uint8* data = nullptr;
    Uint32 size = 0;
    DecodedSound() = default;
    DecodedSound(const DecodedSound&) = delete;
    DecodedSound& operator=(const DecodedSound&) = delete;
    ~DecodedSound() {
        if (data) SDL_FreeWAV(data);
    }
};

// A file the reader cannot stream (IMA or Microsoft ADPCM) of up to
// WavStream::kMaxDecodedFile bytes: decoded whole into `sound`, which the
// stream then reads instead of the file.
bool DecodeWhole(int fd, std::uint64_t fileSize, WavFormat& f, DecodedSound& sound) {
    if (fileSize > WavStream::kMaxDecodedFile) return false;
    SDL_AudioSpec decoded{};
    {
        std::vector<unsigned char> file(static_cast<std::size_t>(fileSize));
        if (!ReadAt(fd, file.data(), file.size(), 0)) return false;
        if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1, &decoded, &sound.data,
                            &sound.size))
            return false;
    }
    f.encoding = Encoding::Decoded;
    f.decodedFormat = decoded.format;
    f.channels = decoded.channels;
    f.rate = decoded.freq;
    f.bits = SDL_AUDIO_BITSIZE(decoded.format);
    f.blockAlign = f.channels * f.bits / 8;
    if (f.blockAlign <= 0) return false;
    f.dataStart = 0;
    f.dataSize = sound.size - sound.size % static_cast<std::uint32_t>(f.blockAlign);
    return f.dataSize > 0;
}

std::int16_t ALaw(std::uint8_t a) {
    a ^= 0x55;
    int t = (a & 0x0F) << 4;
    const int segment = (a & 0x70) >> 4;
    t += segment == 0 ? 8 : 0x108;
    if (segment > 1) t <<= segment - 1;
    return static_cast<std::int16_t>((a & 0x80) ? t : -t);
}

std::int16_t MuLaw(std::uint8_t u) {
    u = static_cast<std::uint8_t>(~u);
    int t = ((u & 0x0F) << 3) + 0x84;
    t <<= (u & 0x70) >> 4;
    return static_cast<std::int16_t>((u & 0x80) ? 0x84 - t : t - 0x84);
}

// The format SDL converts from, after Widen.
SDL_AudioFormat SdlFormat(const WavFormat& f) {
    switch (f.encoding) {
    case Encoding::Pcm: return f.bits == 8 ? AUDIO_U8 : f.bits == 16 ? AUDIO_S16LSB : AUDIO_S32LSB;
    case Encoding::Float: return AUDIO_F32LSB;
    case Encoding::ALaw:
    case Encoding::MuLaw: return AUDIO_S16LSB;
    case Encoding::Decoded: return f.decodedFormat;
    }
    return AUDIO_S16LSB;
}

// Turns the encodings SDL does not read into ones it does: 24-bit samples
// into 32-bit, 64-bit floating point into 32-bit, A-law and mu-law into
// 16-bit. Returns the bytes to convert, in `raw` itself or in `wide`.
std::pair<const void*, std::size_t> Widen(const WavFormat& f, const unsigned char* raw, std::size_t size,
                                          std::vector<unsigned char>& wide) {
    if (f.encoding == Encoding::Pcm && f.bits == 24) {
        wide.resize(size / 3 * 4);
        for (std::size_t i = 0, j = 0; i + 3 <= size; i += 3, j += 4) {
            wide[j] = 0;
            wide[j + 1] = raw[i];
            wide[j + 2] = raw[i + 1];
            wide[j + 3] = raw[i + 2];
        }
        return {wide.data(), wide.size()};
    }
    if (f.encoding == Encoding::Float && f.bits == 64) {
        wide.resize(size / 2);
        for (std::size_t i = 0; i + 8 <= size; i += 8) {
            double d;
            std::uint64_t bitsLe = 0;
            for (int k = 7; k >= 0; --k) bitsLe = bitsLe << 8 | raw[i + k];
            std::memcpy(&d, &bitsLe, 8);
            const float value = static_cast<float>(d);
            std::uint32_t out;
            std::memcpy(&out, &value, 4);
            for (int k = 0; k < 4; ++k) wide[i / 2 + k] = static_cast<unsigned char>(out >> (8 * k));
        }
        return {wide.data(), wide.size()};
    }
    if (f.encoding == Encoding::ALaw || f.encoding == Encoding::MuLaw) {
        wide.resize(size * 2);
        for (std::size_t i = 0; i < size; ++i) {
            const auto v = static_cast<std::uint16_t>(f.encoding == Encoding::ALaw ? ALaw(raw[i]) : MuLaw(raw[i]));
            wide[2 * i] = static_cast<unsigned char>(v & 0xFF);
            wide[2 * i + 1] = static_cast<unsigned char>(v >> 8);
        }
        return {wide.data(), wide.size()};
    }
    return {raw, size};
}

}  // namespace

// The part the reading thread, the output and the owner share.
struct WavStream::Shared : MixSource {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::int16_t> ring = std::vector<std::int16_t>(kBufferedSamples);
    std::size_t head = 0, count = 0;
    bool stopping = false;
    bool opened = false;
    bool failed = false;
    bool finished = false;  // the reader has put in its last sample

    void MixInto(std::int16_t* samples, int sampleCount) override {
        {
            std::lock_guard lock(mutex);
            const std::size_t n = std::min(count, static_cast<std::size_t>(sampleCount));
            for (std::size_t i = 0; i < n; ++i) {
                samples[i] = MixSample(samples[i], ring[head]);
                head = (head + 1) % ring.size();
            }
            count -= n;
        }
        changed.notify_all();
    }

    // Puts samples in, waiting for room; false once the stream stops.
    bool Push(const std::int16_t* samples, std::size_t n) {
        while (n > 0) {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return stopping || count < ring.size(); });
            if (stopping) return false;
            const std::size_t take = std::min(n, ring.size() - count);
            for (std::size_t i = 0; i < take; ++i) ring[(head + count + i) % ring.size()] = samples[i];
            count += take;
            samples += take;
            n -= take;
        }
        return true;
    }

    void Report(bool ok) {
        {
            std::lock_guard lock(mutex);
            (ok ? opened : failed) = true;
            if (!ok) finished = true;
        }
        changed.notify_all();
    }

    bool Stopping() {
        std::lock_guard lock(mutex);
        return stopping;
    }

    void Read(const std::string& path, bool loop);
};

void WavStream::Shared::Read(const std::string& path, bool loop) {
    const sound::SdlThreadScope sdlThread;
    // Stuck or not, this thread keeps no descriptor of the window's.
    LeaveSharedDescriptors();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    WavFormat f;
    DecodedSound decoded;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !(ReadHeader(fd, static_cast<std::uint64_t>(st.st_size), f) ||
          DecodeWhole(fd, static_cast<std::uint64_t>(st.st_size), f, decoded))) {
        if (fd >= 0) ::close(fd);
        return Report(false);
    }
    SDL_AudioStream* convert = SDL_NewAudioStream(SdlFormat(f), static_cast<Uint8>(f.channels), f.rate, AUDIO_S16SYS,
                                                  kOutputChannels, kOutputRate);
    if (!convert) {
        ::close(fd);
        return Report(false);
    }
    Report(true);
    std::vector<unsigned char> raw(kReadBytes - kReadBytes % static_cast<std::size_t>(f.blockAlign));
    std::vector<unsigned char> wide;
    std::vector<std::int16_t> out(8192);
    auto drain = [&] {
        for (int available; (available = SDL_AudioStreamAvailable(convert)) > 0;) {
            const int got =
                SDL_AudioStreamGet(convert, out.data(), std::min<int>(available, static_cast<int>(out.size() * 2)));
            if (got <= 0) return true;
            if (!Push(out.data(), static_cast<std::size_t>(got) / 2)) return false;
        }
        return true;
    };
    std::uint64_t position = 0;
    bool any = false;
    while (!Stopping()) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(raw.size(), f.dataSize - position));
        if (want == 0) {
            // The end of the samples: round again, unless there is nothing to go round.
            if (!loop || !any) break;
            position = 0;
            continue;
        }
        if (f.encoding == Encoding::Decoded) {
            std::memcpy(raw.data(), decoded.data + position, want);
        } else if (!ReadAt(fd, raw.data(), want, f.dataStart + position)) {
            f.dataSize = position;  // the file is shorter than it said
            continue;
        }
        position += want;
        any = true;
        const auto [bytes, size] = Widen(f, raw.data(), want, wide);
        if (SDL_AudioStreamPut(convert, bytes, static_cast<int>(size)) != 0 || !drain()) break;
    }
    SDL_AudioStreamFlush(convert);
    drain();
    SDL_FreeAudioStream(convert);
    ::close(fd);
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    changed.notify_all();
}

std::unique_ptr<WavStream> WavStream::Start(const std::string& path, bool loop, std::chrono::milliseconds wait) {
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, path, loop] { shared->Read(path, loop); }).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    {
        std::unique_lock lock(shared->mutex);
        shared->changed.wait_for(lock, wait, [&] { return shared->opened || shared->failed; });
        if (shared->failed) return nullptr;
    }
    AddMixSource(shared.get());
    return std::unique_ptr<WavStream>(new WavStream(shared));
}

WavStream::~WavStream() {
    // After this the output no longer reads the buffer.
    RemoveMixSource(shared_.get());
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
    }
    shared_->changed.notify_all();
}

bool WavStream::Playing() const {
    std::lock_guard lock(shared_->mutex);
    return !shared_->failed && !(shared_->finished && shared_->count == 0);
}

}  // namespace tav::sound
