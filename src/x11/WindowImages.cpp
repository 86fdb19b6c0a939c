#include "x11/WindowImages.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>

#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tav {
namespace {

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

// The window's depth when its pixels are 32-bit true colour 0x00RRGGBB as this
// machine stores them, else 0.
int TrueColourDepth(xcb_connection_t* c, xcb_window_t window) {
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    const Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!attributes || !geometry) return 0;
    const xcb_setup_t* setup = xcb_get_setup(c);
    const std::uint32_t one = 1;
    const bool littleEndian = *reinterpret_cast<const std::uint8_t*>(&one) == 1;
    if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != littleEndian) return 0;
    bool wholeWords = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == geometry->depth) wholeWords = f.data->bits_per_pixel == 32;
    if (!wholeWords) return 0;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == attributes->visual)
                    return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xFF0000 &&
                                   v.data->green_mask == 0xFF00 && v.data->blue_mask == 0xFF
                               ? geometry->depth
                               : 0;
    return 0;
}

// Shared memory serves only a server on this machine: one reached over the
// network (a remote display, a forwarded one) could attach a segment of the
// same number on its own machine and show that.
bool ServerIsLocal(xcb_connection_t* c) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    return ::getsockname(xcb_get_file_descriptor(c), reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
           address.ss_family == AF_UNIX;
}

class Images final : public FrameSink {
public:
    Images(xcb_connection_t* c, xcb_window_t window, int depth, int width, int height)
        : c_(c), window_(window), depth_(static_cast<std::uint8_t>(depth)), width_(width), height_(height) {
        gc_ = xcb_generate_id(c_);
        const std::uint32_t noExposures = 0;
        xcb_create_gc(c_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
        if (!AttachShared()) {
            plain_ = true;
            own_.assign(Bytes() / 4, 0);
        }
    }

    ~Images() override {
        for (Slot& s : slots_) {
            if (s.fence) xcb_discard_reply(c_, s.fence);
            for (unsigned put : s.puts) xcb_discard_reply(c_, put);
            if (s.segment) xcb_shm_detach(c_, s.segment);
            if (s.memory) ::shmdt(s.memory);
        }
        xcb_free_gc(c_, gc_);
        xcb_flush(c_);
    }

    int ImageCount() const override { return plain_ && !slots_[0].memory ? 1 : 2; }

    std::uint32_t* Image(int k) override {
        return slots_[0].memory ? static_cast<std::uint32_t*>(slots_[k & 1].memory) : own_.data();
    }

    void Put(int k, std::span<const ImageRect> rects) override {
        bool sent = false;
        for (const ImageRect& r : rects) {
            if (r.empty()) continue;
            sent = true;
            if (plain_) {
                PutPlain(Image(k), r);
                continue;
            }
            Slot& s = slots_[k & 1];
            s.puts.push_back(xcb_shm_put_image_checked(
                                 c_, window_, gc_, static_cast<std::uint16_t>(width_),
                                 static_cast<std::uint16_t>(height_), static_cast<std::uint16_t>(r.x0),
                                 static_cast<std::uint16_t>(r.y0), static_cast<std::uint16_t>(r.width()),
                                 static_cast<std::uint16_t>(r.height()), static_cast<std::int16_t>(r.x0),
                                 static_cast<std::int16_t>(r.y0), depth_, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, s.segment, 0)
                                 .sequence);
        }
        if (!sent) return;
        if (!plain_) {
            // The answer to a later request says the server is past the puts.
            Slot& s = slots_[k & 1];
            if (s.fence) xcb_discard_reply(c_, s.fence);
            s.fence = xcb_get_input_focus(c_).sequence;
        }
        xcb_flush(c_);
    }

    PutState Poll(int k) override { return Answer(slots_[k & 1], false); }
    PutState Wait(int k) override { return Answer(slots_[k & 1], true); }

    void SendPlain() override { plain_ = true; }

private:
    struct Slot {
        xcb_shm_seg_t segment = 0;
        void* memory = nullptr;
        std::vector<unsigned> puts;  // sequence numbers of the puts not yet known read
        unsigned fence = 0;          // the request after the last put, 0 when none is out
    };

    std::size_t Bytes() const { return static_cast<std::size_t>(width_) * height_ * 4; }

    bool AttachShared() {
        const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c_, &xcb_shm_id);
        if (!shm || !shm->present || !ServerIsLocal(c_)) return false;
        for (Slot& s : slots_) {
            const int id = ::shmget(IPC_PRIVATE, Bytes(), IPC_CREAT | 0600);
            if (id < 0) return DropShared();
            s.memory = ::shmat(id, nullptr, 0);
            if (s.memory == reinterpret_cast<void*>(-1)) {
                s.memory = nullptr;
                ::shmctl(id, IPC_RMID, nullptr);
                return DropShared();
            }
            s.segment = xcb_generate_id(c_);
            xcb_generic_error_t* error = xcb_request_check(c_, xcb_shm_attach_checked(c_, s.segment, id, 1));
            // Marked for removal once both sides hold it: the segment goes
            // with the process, however the process ends.
            ::shmctl(id, IPC_RMID, nullptr);
            if (error) {
                std::free(error);
                s.segment = 0;
                return DropShared();
            }
        }
        return true;
    }

    bool DropShared() {
        for (Slot& s : slots_) {
            if (s.segment) xcb_shm_detach(c_, s.segment);
            if (s.memory) ::shmdt(s.memory);
            s = Slot{};
        }
        return false;
    }

    PutState Answer(Slot& s, bool wait) {
        if (!s.fence) return PutState::Done;
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (wait) {
            reply = xcb_wait_for_reply(c_, s.fence, &error);
        } else if (!xcb_poll_for_reply(c_, s.fence, &reply, &error)) {
            return xcb_connection_has_error(c_) ? Forget(s, PutState::Failed) : PutState::Busy;
        }
        std::free(reply);
        const bool lost = !reply && !error;  // the connection broke
        std::free(error);
        bool failed = lost;
        // Every put is now answered, so asking after each costs no round trip.
        for (unsigned put : s.puts) {
            if (lost) {
                xcb_discard_reply(c_, put);
            } else if (xcb_generic_error_t* e = xcb_request_check(c_, xcb_void_cookie_t{put})) {
                failed = true;
                std::free(e);
            }
        }
        s.puts.clear();
        s.fence = 0;
        return failed ? PutState::Failed : PutState::Done;
    }

    PutState Forget(Slot& s, PutState state) {
        for (unsigned put : s.puts) xcb_discard_reply(c_, put);
        s.puts.clear();
        xcb_discard_reply(c_, s.fence);
        s.fence = 0;
        return state;
    }

    // The rows go in as many requests as the server's request size allows;
    // a rectangle narrower than the window is gathered row by row first.
    void PutPlain(const std::uint32_t* image, const ImageRect& r) {
        const std::size_t rowBytes = static_cast<std::size_t>(r.width()) * 4;
        const std::size_t maxBytes = static_cast<std::size_t>(xcb_get_maximum_request_length(c_)) * 4 - 64;
        const int band = static_cast<int>(std::max<std::size_t>(1, maxBytes / rowBytes));
        for (int y = r.y0; y < r.y1; y += band) {
            const int rows = std::min(band, r.y1 - y);
            const std::uint8_t* data;
            if (r.width() == width_) {
                data = reinterpret_cast<const std::uint8_t*>(image + static_cast<std::size_t>(y) * width_);
            } else {
                gather_.resize(rowBytes * rows);
                for (int i = 0; i < rows; ++i)
                    std::memcpy(gather_.data() + rowBytes * i, image + static_cast<std::size_t>(y + i) * width_ + r.x0,
                                rowBytes);
                data = gather_.data();
            }
            xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<std::uint16_t>(r.width()),
                          static_cast<std::uint16_t>(rows), static_cast<std::int16_t>(r.x0),
                          static_cast<std::int16_t>(y), 0, depth_, static_cast<std::uint32_t>(rowBytes * rows), data);
        }
    }

    xcb_connection_t* c_;
    xcb_window_t window_;
    xcb_gcontext_t gc_ = 0;
    std::uint8_t depth_;
    int width_, height_;
    bool plain_ = false;
    Slot slots_[2];
    std::vector<std::uint32_t> own_;
    std::vector<std::uint8_t> gather_;
};

}  // namespace

std::unique_ptr<FrameSink> OpenWindowImages(xcb_connection_t* connection, std::uint32_t window, int width, int height) {
    if (!connection || xcb_connection_has_error(connection) || width <= 0 || height <= 0 || width > 32767 ||
        height > 32767)
        return nullptr;
    const int depth = TrueColourDepth(connection, window);
    if (depth == 0) return nullptr;
    return std::make_unique<Images>(connection, window, depth, width, height);
}

}  // namespace tav
