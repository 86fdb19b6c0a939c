#include "render/SoundTrack.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>

namespace tav {

namespace {

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The sample format closest to what the encoder takes, preferring planar float.
AVSampleFormat ChooseSampleFormat(const AVCodec* codec) {
    if (!codec->sample_fmts) return AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_FLTP) return *f;
    return codec->sample_fmts[0];
}

int ChooseSampleRate(const AVCodec* codec) {
    if (!codec->supported_samplerates) return 48000;
    int best = codec->supported_samplerates[0];
    for (const int* r = codec->supported_samplerates; *r; ++r)
        if (*r == 48000) return *r;
    return best;
}

}  // namespace

SoundTrack::~SoundTrack() {
    avcodec_free_context(&decoder_);
    avcodec_free_context(&encoder_);
    avformat_close_input(&in_);
    swr_free(&resampler_);
    if (fifo_) av_audio_fifo_free(fifo_);
    av_packet_free(&packet_);
    av_frame_free(&decoded_);
}

bool SoundTrack::Open(const std::string& music, AVFormatContext* out, const char* encoderName, std::string& error,
                      bool& missingEncoder) {
    missingEncoder = false;
    out_ = out;
    int ret = avformat_open_input(&in_, music.c_str(), nullptr, nullptr);
    if (ret < 0) return error = "cannot read the music " + music + ": " + AvError(ret), false;
    if ((ret = avformat_find_stream_info(in_, nullptr)) < 0)
        return error = "cannot read the music " + music + ": " + AvError(ret), false;
    const AVCodec* decoderCodec = nullptr;
    inStream_ = av_find_best_stream(in_, AVMEDIA_TYPE_AUDIO, -1, -1, &decoderCodec, 0);
    if (inStream_ < 0 || !decoderCodec) return error = "the music " + music + " holds no sound that can be read", false;
    decoder_ = avcodec_alloc_context3(decoderCodec);
    avcodec_parameters_to_context(decoder_, in_->streams[inStream_]->codecpar);
    if ((ret = avcodec_open2(decoder_, decoderCodec, nullptr)) < 0)
        return error = "cannot decode the music " + music + ": " + AvError(ret), false;

    const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
    if (!codec) {
        missingEncoder = true;
        return error = std::string("the installed FFmpeg has no ") + encoderName + " encoder for the sound track",
               false;
    }
    encoder_ = avcodec_alloc_context3(codec);
    encoder_->sample_fmt = ChooseSampleFormat(codec);
    encoder_->sample_rate = ChooseSampleRate(codec);
    av_channel_layout_default(&encoder_->ch_layout, 2);
    encoder_->bit_rate = codec->id == AV_CODEC_ID_FLAC ? 0 : 160000;
    encoder_->time_base = {1, encoder_->sample_rate};
    if (out->oformat->flags & AVFMT_GLOBALHEADER) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((ret = avcodec_open2(encoder_, codec, nullptr)) < 0)
        return error = std::string("cannot open the ") + encoderName + " encoder: " + AvError(ret), false;
    stream_ = avformat_new_stream(out, nullptr);
    stream_->time_base = encoder_->time_base;
    avcodec_parameters_from_context(stream_->codecpar, encoder_);

    ret = swr_alloc_set_opts2(&resampler_, &encoder_->ch_layout, encoder_->sample_fmt, encoder_->sample_rate,
                              &decoder_->ch_layout, decoder_->sample_fmt, decoder_->sample_rate, 0, nullptr);
    if (ret < 0 || (ret = swr_init(resampler_)) < 0)
        return error = "cannot convert the music " + music + ": " + AvError(ret), false;
    fifo_ = av_audio_fifo_alloc(encoder_->sample_fmt, encoder_->ch_layout.nb_channels, 4096);
    packet_ = av_packet_alloc();
    decoded_ = av_frame_alloc();
    return true;
}

void SoundTrack::HeaderWritten() {}

long long SoundTrack::SamplesAt(double seconds) const { return std::llround(seconds * encoder_->sample_rate); }

// Decodes one more piece of the music into the FIFO, starting the file over
// at its end.
bool SoundTrack::Decode(std::string& error) {
    for (;;) {
        int ret = avcodec_receive_frame(decoder_, decoded_);
        if (ret == 0) {
            const int room = static_cast<int>(swr_get_out_samples(resampler_, decoded_->nb_samples));
            uint8_t** planes = nullptr;
            av_samples_alloc_array_and_samples(&planes, nullptr, encoder_->ch_layout.nb_channels, room,
                                               encoder_->sample_fmt, 0);
            const int got = swr_convert(resampler_, planes, room, const_cast<const uint8_t**>(decoded_->extended_data),
                                        decoded_->nb_samples);
            if (got > 0) {
                av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes), got);
                decodedAny_ = true;
                loopsWithoutSound_ = 0;
            }
            av_freep(&planes[0]);
            av_freep(&planes);
            av_frame_unref(decoded_);
            if (got > 0) return true;
            continue;
        }
        if (ret != AVERROR(EAGAIN) && ret != AVERROR_EOF)
            return error = "cannot decode the music: " + AvError(ret), false;
        if (ret == AVERROR_EOF) {
            // The music ends: it starts over, as the show repeats it.
            if (++loopsWithoutSound_ > 2) return error = "the music holds no sound", false;
            avcodec_flush_buffers(decoder_);
            if ((ret = av_seek_frame(in_, inStream_, 0, AVSEEK_FLAG_BACKWARD)) < 0)
                return error = "cannot start the music over: " + AvError(ret), false;
            continue;
        }
        ret = av_read_frame(in_, packet_);
        if (ret == AVERROR_EOF) {
            avcodec_send_packet(decoder_, nullptr);
            continue;
        }
        if (ret < 0) return error = "cannot read the music: " + AvError(ret), false;
        if (packet_->stream_index == inStream_) avcodec_send_packet(decoder_, packet_);
        av_packet_unref(packet_);
    }
}

bool SoundTrack::Fill(long long samples, std::string& error) {
    while (encoded_ + av_audio_fifo_size(fifo_) < samples)
        if (!Decode(error)) return false;
    return true;
}

bool SoundTrack::Send(AVFrame* frame, std::string& error) {
    int ret = avcodec_send_frame(encoder_, frame);
    if (ret < 0) return error = "cannot encode the sound track: " + AvError(ret), false;
    for (;;) {
        ret = avcodec_receive_packet(encoder_, packet_);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
        if (ret < 0) return error = "cannot encode the sound track: " + AvError(ret), false;
        av_packet_rescale_ts(packet_, encoder_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        ret = av_interleaved_write_frame(out_, packet_);
        if (ret < 0) return error = AvError(ret), false;
    }
}

bool SoundTrack::EncodeFrames(long long upTo, bool last, std::string& error) {
    const int frameSize = encoder_->frame_size > 0 ? encoder_->frame_size : 1024;
    const bool variable = encoder_->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
    while (encoded_ < upTo) {
        const long long left = upTo - encoded_;
        if (left < frameSize && !last) break;
        const int n = static_cast<int>(std::min<long long>(left, frameSize));
        AVFrame* frame = av_frame_alloc();
        frame->nb_samples = n;
        frame->format = encoder_->sample_fmt;
        frame->sample_rate = encoder_->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &encoder_->ch_layout);
        av_frame_get_buffer(frame, 0);
        av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->data), n);
        // An encoder that takes only whole frames gets the end of the last
        // one as silence; the stream still ends where the video does.
        if (n < frameSize && !variable && !(encoder_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME)) {
            AVFrame* whole = av_frame_alloc();
            whole->nb_samples = frameSize;
            whole->format = frame->format;
            whole->sample_rate = frame->sample_rate;
            av_channel_layout_copy(&whole->ch_layout, &frame->ch_layout);
            av_frame_get_buffer(whole, 0);
            av_samples_set_silence(whole->data, 0, frameSize, whole->ch_layout.nb_channels, encoder_->sample_fmt);
            av_samples_copy(whole->data, frame->data, 0, 0, n, whole->ch_layout.nb_channels, encoder_->sample_fmt);
            av_frame_free(&frame);
            frame = whole;
        }
        frame->pts = encoded_;
        encoded_ += n;
        const bool ok = Send(frame, error);
        av_frame_free(&frame);
        if (!ok) return false;
    }
    return true;
}

bool SoundTrack::WriteUntil(double seconds, std::string& error) {
    const long long target = SamplesAt(seconds);
    return Fill(target, error) && EncodeFrames(target, false, error);
}

bool SoundTrack::Finish(double seconds, std::string& error) {
    const long long target = SamplesAt(seconds);
    if (!Fill(target, error) || !EncodeFrames(target, true, error)) return false;
    return Send(nullptr, error);
}

}  // namespace tav
