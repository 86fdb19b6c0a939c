#include "render/FfmpegEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#include "render/GifPalette.h"
#include "render/SoundTrack.h"

namespace tav {

namespace {

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

struct Family {
    Container container;
    const char* muxer;
    const char* name;          // for messages
    const char* videoEncoder;  // the container's own
    const char* videoCodec;    // for messages
    AVPixelFormat pixels;
    const char* audioEncoder;  // nullptr: no sound track
};

// clang-format off
constexpr Family kFamilies[] = {
    {Container::Mp4,  "mp4",      "MP4",  "libx264",    "H.264", AV_PIX_FMT_YUV420P, "aac"},
    {Container::WebM, "webm",     "WebM", "libvpx-vp9", "VP9",   AV_PIX_FMT_YUV420P, "libopus"},
    // The display's own pixels (0x00RRGGBB in memory order B, G, R, 0) go in
    // unchanged: the video is lossless.
    {Container::Mkv,  "matroska", "MKV",  "ffv1",       "FFV1",  AV_PIX_FMT_BGR0,    "flac"},
    {Container::Gif,  "gif",      "GIF",  "gif",        "GIF",   AV_PIX_FMT_PAL8,    nullptr},
};
// clang-format on

// Speed over size where it matters: the videos are made on ordinary machines
// and a 1080p slide show must encode in half the time it plays. x264's
// fastest preset takes about two thirds of the CPU of the next one and holds
// half the frames in memory; its files are larger.
void SetEncoderOptions(AVCodecContext* c, AVDictionary** options) {
    const std::string name = c->codec->name;
    if (name == "libx264") {
        av_dict_set(options, "preset", "ultrafast", 0);
        av_dict_set(options, "crf", "20", 0);
    } else if (name == "libvpx-vp9") {
        av_dict_set(options, "deadline", "realtime", 0);
        av_dict_set(options, "cpu-used", "8", 0);
        av_dict_set(options, "row-mt", "1", 0);
        av_dict_set(options, "crf", "32", 0);
        c->bit_rate = 0;
    } else if (name == "ffv1") {
        av_dict_set(options, "level", "3", 0);
        av_dict_set(options, "slicecrc", "1", 0);
    }
}

class FfmpegEncoder : public VideoEncoder {
public:
    ~FfmpegEncoder() override {
        avcodec_free_context(&codec_);
        sws_freeContext(scaler_);
        av_frame_free(&last_);
        av_packet_free(&packet_);
        if (out_) {
            if (out_->pb) avio_closep(&out_->pb);
            avformat_free_context(out_);
        }
    }

    bool Open(const VideoSettings& s, std::string& err) {
        settings_ = s;
        for (const Family& f : kFamilies)
            if (f.container == s.container) family_ = &f;
        if (!family_) return err = "not an FFmpeg container", false;
        int ret = avformat_alloc_output_context2(&out_, nullptr, family_->muxer, s.file.c_str());
        if (ret < 0 || !out_)
            return err = std::string("the installed FFmpeg cannot write ") + family_->name + " files", false;

        const std::string encoderName = s.codec.empty() ? family_->videoEncoder : s.codec;
        const AVCodec* codec = avcodec_find_encoder_by_name(encoderName.c_str());
        if (!codec || codec->type != AVMEDIA_TYPE_VIDEO) {
            err = "the installed FFmpeg has no " +
                  (s.codec.empty() ? std::string(family_->videoCodec) + " encoder (" + encoderName + ")"
                                   : "video encoder named '" + encoderName + "'");
            return false;
        }
        if (avformat_query_codec(out_->oformat, codec->id, FF_COMPLIANCE_NORMAL) != 1)
            return err = std::string(family_->name) + " files cannot hold " + codec->long_name, false;

        codec_ = avcodec_alloc_context3(codec);
        codec_->width = s.width;
        codec_->height = s.height;
        codec_->framerate = {s.fps, 1};
        // GIF counts its delays in hundredths of a second.
        codec_->time_base = s.container == Container::Gif ? AVRational{1, 100} : AVRational{1, s.fps};
        codec_->pix_fmt = ChoosePixels(codec);
        codec_->gop_size = 2 * s.fps;
        codec_->thread_count = 0;
        if (codec_->pix_fmt != AV_PIX_FMT_BGR0 && codec_->pix_fmt != AV_PIX_FMT_PAL8) {
            codec_->colorspace = AVCOL_SPC_BT709;
            codec_->color_primaries = AVCOL_PRI_BT709;
            codec_->color_trc = AVCOL_TRC_BT709;
            codec_->color_range = AVCOL_RANGE_MPEG;
        }
        if (out_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* options = nullptr;
        SetEncoderOptions(codec_, &options);
        ret = avcodec_open2(codec_, codec, &options);
        av_dict_free(&options);
        if (ret < 0) {
            const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(codec_->pix_fmt);
            if (d && (d->log2_chroma_w || d->log2_chroma_h) && (s.width % 2 || s.height % 2))
                err = "the " + encoderName + " encoder needs an even width and height, not " + std::to_string(s.width) +
                      "x" + std::to_string(s.height);
            else
                err = "cannot open the " + encoderName + " encoder: " + AvError(ret);
            return false;
        }
        stream_ = avformat_new_stream(out_, nullptr);
        stream_->time_base = codec_->time_base;
        stream_->avg_frame_rate = codec_->framerate;
        avcodec_parameters_from_context(stream_->codecpar, codec_);

        if (!s.music.empty() && family_->audioEncoder) {
            sound_.emplace();
            bool missing = false;
            std::string soundError;
            if (!sound_->Open(s.music, out_, family_->audioEncoder, soundError, missing)) {
                if (missing) return err = soundError, false;
                // Like the show, the video goes on without the music it cannot play.
                std::fprintf(stderr, "tavrelle-render: %s; the video has no sound\n", soundError.c_str());
                sound_.reset();
            }
        }

        if ((ret = avio_open(&out_->pb, s.file.c_str(), AVIO_FLAG_WRITE)) < 0)
            return err = "cannot write " + s.name + ": " + AvError(ret), false;
        AVDictionary* muxOptions = nullptr;
        // The index goes first, so the video plays while it is still arriving.
        if (s.container == Container::Mp4) av_dict_set(&muxOptions, "movflags", "+faststart", 0);
        ret = avformat_write_header(out_, &muxOptions);
        av_dict_free(&muxOptions);
        if (ret < 0) return err = "cannot write " + s.name + ": " + AvError(ret), false;

        packet_ = av_packet_alloc();
        if (codec_->pix_fmt != AV_PIX_FMT_BGR0 && codec_->pix_fmt != AV_PIX_FMT_PAL8) {
            scaler_ = sws_getContext(s.width, s.height, AV_PIX_FMT_BGR0, s.width, s.height, codec_->pix_fmt,
                                     SWS_BILINEAR, nullptr, nullptr, nullptr);
            if (!scaler_) return err = "cannot convert the frames for the " + encoderName + " encoder", false;
            const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
            sws_setColorspaceDetails(scaler_, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
        }
        return true;
    }

    bool Frame(Bitmap&& frame) override {
        AVFrame* f = nullptr;
        if (codec_->pix_fmt == AV_PIX_FMT_BGR0) {
            f = Wrap(std::move(frame));
        } else {
            f = av_frame_alloc();
            f->format = codec_->pix_fmt;
            f->width = settings_.width;
            f->height = settings_.height;
            if (av_frame_get_buffer(f, 0) < 0) {
                av_frame_free(&f);
                return Fail("out of memory");
            }
            if (codec_->pix_fmt == AV_PIX_FMT_PAL8) {
                if (!palette_) palette_ = GifPalette::Build({&frame});
                palette_->Map(frame, f->data[0], f->linesize[0]);
                std::memcpy(f->data[1], palette_->Entries().data(), 1024);
            } else {
                const std::uint8_t* src[1] = {reinterpret_cast<const std::uint8_t*>(frame.pixels().data())};
                const int srcStride[1] = {settings_.width * 4};
                sws_scale(scaler_, src, srcStride, 0, settings_.height, f->data, f->linesize);
            }
        }
        av_frame_free(&last_);
        last_ = f;
        return Send(last_);
    }

    bool Repeat() override {
        if (!last_) return Fail("a repeated frame before the first");
        // GIF holds a frame until the next one's time, so a repeat costs nothing.
        if (settings_.container == Container::Gif) return ++index_, true;
        AVFrame* again = av_frame_clone(last_);
        av_frame_free(&last_);
        last_ = again;
        return Send(last_);
    }

    void Pictures(const Bitmap& outgoing, const Bitmap& incoming) override {
        if (codec_->pix_fmt == AV_PIX_FMT_PAL8) palette_ = GifPalette::Build({&outgoing, &incoming});
    }

    bool Finish() override {
        if (settings_.container == Container::Gif && lastGifPts_ >= 0) {
            // The muxer times each picture by the next one; the last lasts
            // until the video ends.
            av_opt_set_int(out_->priv_data, "final_delay", std::max<std::int64_t>(1, Pts(index_) - lastGifPts_), 0);
        }
        std::string soundError;
        if (!Drain(nullptr)) return false;
        if (sound_ && !sound_->Finish(static_cast<double>(index_) / settings_.fps, soundError))
            return Write(soundError);
        int ret = av_write_trailer(out_);
        if (ret < 0) return Fail("cannot write " + settings_.name + ": " + AvError(ret));
        ret = avio_closep(&out_->pb);
        if (ret < 0) return Fail("cannot write " + settings_.name + ": " + AvError(ret));
        return true;
    }

private:
    AVPixelFormat ChoosePixels(const AVCodec* codec) const {
        const AVPixelFormat wanted = family_->pixels;
        if (!codec->pix_fmts) return wanted;
        for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
            if (*p == wanted) return wanted;
        return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, AV_PIX_FMT_BGR0, 0, nullptr);
    }

    // The frame's own memory, handed to the encoder without a copy.
    AVFrame* Wrap(Bitmap&& frame) {
        auto* owned = new Bitmap(std::move(frame));
        AVFrame* f = av_frame_alloc();
        f->format = AV_PIX_FMT_BGR0;
        f->width = owned->width();
        f->height = owned->height();
        f->buf[0] = av_buffer_create(
            reinterpret_cast<std::uint8_t*>(owned->pixels().data()), owned->pixels().size() * sizeof(Pixel),
            [](void* opaque, std::uint8_t*) { delete static_cast<Bitmap*>(opaque); }, owned, 0);
        f->data[0] = f->buf[0]->data;
        f->linesize[0] = owned->width() * 4;
        return f;
    }

    std::int64_t Pts(long long index) const {
        if (settings_.container != Container::Gif) return index;
        return std::llround(static_cast<double>(index) * 100 / settings_.fps);
    }

    bool Send(AVFrame* f) {
        f->pts = Pts(index_++);
        if (settings_.container == Container::Gif && f->pts <= lastGifPts_) return true;  // over 100 frames a second
        lastGifPts_ = f->pts;
        if (!Drain(f)) return false;
        if (sound_) {
            std::string soundError;
            if (!sound_->WriteUntil(static_cast<double>(index_) / settings_.fps, soundError)) return Write(soundError);
        }
        return true;
    }

    bool Drain(AVFrame* f) {
        int ret = avcodec_send_frame(codec_, f);
        if (ret < 0) return Fail("cannot encode a frame: " + AvError(ret));
        for (;;) {
            ret = avcodec_receive_packet(codec_, packet_);
            if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
            if (ret < 0) return Fail("cannot encode a frame: " + AvError(ret));
            av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
            packet_->stream_index = stream_->index;
            ret = av_interleaved_write_frame(out_, packet_);
            if (ret < 0) return Fail("cannot write " + settings_.name + ": " + AvError(ret));
        }
    }

    // A failure of the sound track is a write failure when the muxer said so.
    bool Write(const std::string& soundError) {
        if (out_->pb && out_->pb->error < 0)
            return Fail("cannot write " + settings_.name + ": " + AvError(out_->pb->error));
        return Fail(soundError);
    }

    bool Fail(const std::string& why) {
        if (error.empty()) error = why;
        return false;
    }

    VideoSettings settings_;
    const Family* family_ = nullptr;
    AVFormatContext* out_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVStream* stream_ = nullptr;
    SwsContext* scaler_ = nullptr;
    AVFrame* last_ = nullptr;
    AVPacket* packet_ = nullptr;
    std::optional<SoundTrack> sound_;
    std::optional<GifPalette> palette_;
    long long index_ = 0;
    std::int64_t lastGifPts_ = -1;
};

}  // namespace

std::unique_ptr<VideoEncoder> OpenFfmpegEncoder(const VideoSettings& settings, std::string& error) {
    auto encoder = std::make_unique<FfmpegEncoder>();
    if (!encoder->Open(settings, error)) return nullptr;
    return encoder;
}

}  // namespace tav
