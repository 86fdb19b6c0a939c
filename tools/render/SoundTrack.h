#pragma once
// A music file (MP3, WAV or anything FFmpeg reads) as the sound track of a
// video: decoded, resampled to the encoder's format, looped from its start
// when it ends, and cut to the video's length.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <string>

struct AVAudioFifo;
struct SwrContext;

namespace tav {

class SoundTrack {
public:
    SoundTrack() = default;
    ~SoundTrack();
    SoundTrack(const SoundTrack&) = delete;
    SoundTrack& operator=(const SoundTrack&) = delete;

    // Opens `music` and adds an audio stream of `encoderName` to `out` (before
    // its header is written). False with `error` when the file holds no sound
    // that can be decoded; `missingEncoder` tells the encoder is not installed.
    bool Open(const std::string& music, AVFormatContext* out, const char* encoderName, std::string& error,
              bool& missingEncoder);
    // After the header: the stream's time base may have changed.
    void HeaderWritten();
    // Encodes and writes the sound up to `seconds` into the video (whole
    // encoder frames only). False with `error` on a failure.
    bool WriteUntil(double seconds, std::string& error);
    // Encodes exactly up to `seconds` and drains the encoder.
    bool Finish(double seconds, std::string& error);

    AVStream* Stream() const { return stream_; }

private:
    bool Fill(long long samples, std::string& error);
    bool Decode(std::string& error);
    bool EncodeFrames(long long upTo, bool last, std::string& error);
    bool Send(AVFrame* frame, std::string& error);
    long long SamplesAt(double seconds) const;

    AVFormatContext* in_ = nullptr;
    AVCodecContext* decoder_ = nullptr;
    int inStream_ = -1;
    AVFormatContext* out_ = nullptr;
    AVCodecContext* encoder_ = nullptr;
    AVStream* stream_ = nullptr;
    SwrContext* resampler_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* decoded_ = nullptr;
    long long encoded_ = 0;  // samples handed to the encoder
    bool decodedAny_ = false;
    int loopsWithoutSound_ = 0;
};

}  // namespace tav
