#include "render/WebpEncoder.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tav {

namespace {

class WebpEncoder : public VideoEncoder {
public:
    ~WebpEncoder() override {
        if (encoder_) WebPAnimEncoderDelete(encoder_);
    }

    bool Open(const VideoSettings& s, std::string& err) {
        settings_ = s;
        if (!s.codec.empty()) return err = "WebP files take no --codec", false;
        if (s.width > WEBP_MAX_DIMENSION || s.height > WEBP_MAX_DIMENSION)
            return err = "WebP pictures are at most " + std::to_string(WEBP_MAX_DIMENSION) + " pixels a side", false;
        WebPAnimEncoderOptions options;
        if (!WebPAnimEncoderOptionsInit(&options)) return err = "the installed libwebp does not match", false;
        options.anim_params.loop_count = 0;  // played over and over, like a preview
        encoder_ = WebPAnimEncoderNew(s.width, s.height, &options);
        if (!encoder_) return err = "cannot start the WebP encoder", false;
        if (!WebPConfigInit(&config_)) return err = "the installed libwebp does not match", false;
        // Previews are looked at small and many at a time: a quick method and a
        // quality where the two pictures are still told apart at a glance.
        config_.quality = 80;
        config_.method = 1;
        return true;
    }

    bool Frame(Bitmap&& frame) override {
        WebPPicture picture;
        if (!WebPPictureInit(&picture)) return Fail("the installed libwebp does not match");
        picture.use_argb = 1;
        picture.width = frame.width();
        picture.height = frame.height();
        // The display's pixels lie in memory as B, G, R and an unused byte.
        bool ok = WebPPictureImportBGRX(&picture, reinterpret_cast<const std::uint8_t*>(frame.pixels().data()),
                                        frame.width() * 4) &&
                  WebPAnimEncoderAdd(encoder_, &picture, Timestamp(index_), &config_);
        WebPPictureFree(&picture);
        ++index_;
        if (!ok) return Fail(std::string("cannot encode a WebP frame: ") + WebPAnimEncoderGetError(encoder_));
        return true;
    }

    // The animation encoder holds a picture until the next one's time.
    bool Repeat() override { return ++index_, true; }

    bool Finish() override {
        if (!WebPAnimEncoderAdd(encoder_, nullptr, Timestamp(index_), nullptr))
            return Fail(std::string("cannot encode the WebP file: ") + WebPAnimEncoderGetError(encoder_));
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAssemble(encoder_, &data)) {
            WebPDataClear(&data);
            return Fail(std::string("cannot encode the WebP file: ") + WebPAnimEncoderGetError(encoder_));
        }
        bool ok = false;
        int cause = 0;
        if (std::FILE* f = std::fopen(settings_.file.c_str(), "wb")) {
            ok = std::fwrite(data.bytes, 1, data.size, f) == data.size && std::fflush(f) == 0;
            if (!ok) cause = errno;
            if (std::fclose(f) != 0 && ok) ok = false, cause = errno;
        } else {
            cause = errno;
        }
        WebPDataClear(&data);
        if (!ok) return Fail("cannot write " + settings_.name + ": " + std::strerror(cause));
        return true;
    }

private:
    // Frame i starts at i / fps seconds, to the nearest millisecond, so the
    // rounding never adds up.
    int Timestamp(long long index) const {
        return static_cast<int>(std::llround(static_cast<double>(index) * 1000 / settings_.fps));
    }

    bool Fail(const std::string& why) {
        if (error.empty()) error = why;
        return false;
    }

    VideoSettings settings_;
    WebPAnimEncoder* encoder_ = nullptr;
    WebPConfig config_{};
    long long index_ = 0;
};

}  // namespace

std::unique_ptr<VideoEncoder> OpenWebpEncoder(const VideoSettings& settings, std::string& error) {
    auto encoder = std::make_unique<WebpEncoder>();
    if (!encoder->Open(settings, error)) return nullptr;
    return encoder;
}

}  // namespace tav
