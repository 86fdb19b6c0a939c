// The presenter's bookkeeping against a server played by the test: every
// effect draws the same frames while its drawing moves between two images,
// the screen always ends up showing each frame, and a put the server fails
// is sent again without being waited for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <span>

#include "effects/Dispatch.h"
#include "effects/EffectTable.h"
#include "engine/FramePresenter.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

// A server whose shared puts are read only when the test says so. The screen
// takes each rectangle as the image holds it when the server reads it.
class FakeServer : public FrameSink {
public:
    FakeServer(int width, int height, int images) : screen(width, height), width_(width), images_(images) {
        for (auto& image : memory_) image.assign(static_cast<std::size_t>(width) * height, 0);
    }

    int ImageCount() const override { return images_; }
    std::uint32_t* Image(int k) override { return memory_[k].data(); }
    void Put(int k, std::span<const ImageRect> rects) override {
        for (std::size_t i = 0; i < rects.size(); ++i) {
            const ImageRect& r = rects[i];
            ++puts;
            sentPixels += static_cast<long long>(r.width()) * r.height();
            for (std::size_t j = 0; j < i; ++j)
                overlaps += r.x0 < rects[j].x1 && rects[j].x0 < r.x1 && r.y0 < rects[j].y1 && rects[j].y0 < r.y1;
            if (images_ == 1 || plain) {
                Read(k, r);
            } else {
                unread_[k].push_back(r);
                unanswered_[k] = true;
            }
        }
    }
    PutState Poll(int k) override {
        if (!unanswered_[k]) return PutState::Done;
        if (busyPolls > 0) {
            --busyPolls;
            return PutState::Busy;
        }
        return Answer(k);
    }
    PutState Wait(int k) override {
        ++waits;
        return Answer(k);
    }
    void SendPlain() override { plain = true; }

    // The server reads every put still out, but does not say so yet.
    void CatchUp() {
        for (int k = 0; k < 2; ++k) {
            for (const ImageRect& r : unread_[k])
                if (!failing) Read(k, r);
            unread_[k].clear();
        }
    }

    int busyPolls = 0;     // so many polls say Busy before the server answers
    bool failing = false;  // shared puts fail (the segment went away)
    bool plain = false;
    int puts = 0, waits = 0;
    long long sentPixels = 0;
    int overlaps = 0;  // pairs of rectangles of one batch that share pixels, sent twice
    Bitmap screen;

private:
    PutState Answer(int k) {
        if (!unanswered_[k]) return PutState::Done;
        CatchUp();
        unanswered_[k] = false;
        return failing ? PutState::Failed : PutState::Done;
    }
    void Read(int k, const ImageRect& r) {
        for (int y = r.y0; y < r.y1; ++y)
            std::memcpy(screen.row(y) + r.x0, memory_[k].data() + static_cast<std::size_t>(y) * width_ + r.x0,
                        static_cast<std::size_t>(r.width()) * 4);
    }

    int width_, images_;
    std::vector<std::uint32_t> memory_[2];
    std::deque<ImageRect> unread_[2];
    bool unanswered_[2] = {false, false};
};

// The show's host, presenting as the saver window does.
class PresentingHost : public RecordingHost {
public:
    using RecordingHost::RecordingHost;
    void Refresh() override {
        const ChangedArea::Box b = Display().dirty.bounds();
        boxPixels += ChangedArea::Box{std::max(b.x0, 0), std::max(b.y0, 0), std::min(b.x1, Display().width()),
                                      std::min(b.y1, Display().height())}
                         .area();
        presenter->Present();
        justPresented_ = true;
        RecordingHost::Refresh();
    }
    void DoEvents() override {
        RecordingHost::DoEvents();
        presenter->BeforeDrawing(eager || !justPresented_);
        justPresented_ = false;
    }
    void Sleep(int ms) override {
        RecordingHost::Sleep(ms);
        presenter->BeforeDrawing(true);
        justPresented_ = false;
    }
    FramePresenter* presenter = nullptr;
    // The drawing moves whenever the server is still reading, also right after a frame.
    bool eager = false;
    // The pixels of the box around each frame's changes, summed.
    long long boxPixels = 0;

private:
    bool justPresented_ = false;
};

std::uint32_t Digest(const Bitmap& b) {
    std::uint32_t h = 2166136261u;
    for (Pixel p : b.pixels()) h = (h ^ p) * 16777619u;
    return h;
}

TEST(FramePresenter, EveryEffectDrawsTheSameFramesWhileItsDrawingMovesBetweenImages) {
    constexpr int W = 96, H = 72;
    long long sent = 0, boxes = 0;
    for (const EffectEntry& e : EffectTable()) {
        SCOPED_TRACE("effect " + std::to_string(e.number));
        const Bitmap out = OutgoingCard(W, H), in = IncomingCard(W, H);
        std::vector<std::uint32_t> expected;
        {
            SlideSurfaces s;
            RecordingHost plain(s);
            PrepareTransition(plain, W, H, Colorref{0}, 6, out, in);
            plain.onFrame = [&](int, const Bitmap& frame) { expected.push_back(Digest(frame)); };
            SeedRandom(static_cast<unsigned>(e.number));
            plain.EffectNumber = static_cast<std::int16_t>(e.number);
            RunTransition(plain);
        }
        SlideSurfaces s;
        PresentingHost host(s);
        PrepareTransition(host, W, H, Colorref{0}, 6, out, in);
        s.Display.trackDirty = true;
        auto owned = std::make_unique<FakeServer>(W, H, 2);
        FakeServer& server = *owned;
        // The server never reads a frame before the next drawing would
        // begin, so the drawing moves to the other image at every frame.
        server.busyPolls = 1 << 30;
        FramePresenter presenter(s.Display, std::move(owned));
        presenter.Repaint({0, 0, W, H});
        server.sentPixels = 0;
        host.presenter = &presenter;
        host.eager = true;
        std::vector<std::uint32_t> got;
        int wrongScreens = 0;
        host.onFrame = [&](int, const Bitmap& frame) {
            got.push_back(Digest(frame));
            // Once the server reads what was sent, the screen shows the frame.
            server.CatchUp();
            wrongScreens += !(server.screen == frame);
        };
        SeedRandom(static_cast<unsigned>(e.number));
        host.EffectNumber = static_cast<std::int16_t>(e.number);
        RunTransition(host);
        EXPECT_EQ(got, expected) << "frames differ from the ones drawn without the presenter";
        EXPECT_EQ(wrongScreens, 0) << "frames the screen did not show";
        EXPECT_TRUE(SameBitmap(server.screen, in));
        if (got.size() > 2) {
            EXPECT_GT(presenter.moves, 0);
        }
        // The changed rectangles are sent once each, never more than the box around them.
        EXPECT_EQ(server.overlaps, 0);
        EXPECT_LE(server.sentPixels, host.boxPixels);
        sent += server.sentPixels;
        boxes += host.boxPixels;
    }
    EXPECT_LT(sent, boxes) << "pixels sent by all effects, against the boxes around each frame's changes";
}

TEST(FramePresenter, StaysInOneImageWhileTheServerKeepsUp) {
    constexpr int W = 64, H = 48;
    SlideSurfaces s;
    PresentingHost host(s);
    PrepareTransition(host, W, H, Colorref{0}, 2, OutgoingCard(W, H), IncomingCard(W, H));
    s.Display.trackDirty = true;
    auto owned = std::make_unique<FakeServer>(W, H, 2);
    FakeServer& server = *owned;
    FramePresenter presenter(s.Display, std::move(owned));
    presenter.Repaint({0, 0, W, H});
    host.presenter = &presenter;
    host.EffectNumber = 19;
    RunTransition(host);
    EXPECT_EQ(presenter.moves, 0) << "moved although every put was read at once";
    EXPECT_EQ(server.waits, 0);
    EXPECT_TRUE(SameBitmap(server.screen, IncomingCard(W, H)));
}

// A changed rectangle goes out as itself, and the image the drawing moves to
// takes over exactly what it missed, also when the misses outnumber the list.
TEST(FramePresenter, SendsOnlyWhatChangedAndCatchesTheOtherImageUp) {
    constexpr int W = 40, H = 30;
    struct Case {
        const char* what;
        int images;
        int strips;  // frames each changing one 1-pixel column before the drawing moves
    };
    for (const Case& c : {Case{"one image, pixels in the requests", 1, 3}, Case{"two images, a few misses", 2, 3},
                          Case{"two images, more misses than the list keeps", 2, 20}}) {
        SCOPED_TRACE(c.what);
        DC display(std::make_shared<Bitmap>(W, H, 0x111111));
        display.trackDirty = true;
        auto owned = std::make_unique<FakeServer>(W, H, c.images);
        FakeServer& server = *owned;
        FramePresenter presenter(display, std::move(owned));
        presenter.Repaint({0, 0, W, H});
        EXPECT_TRUE(presenter.Serves());
        // The drawing moves to the second image and back, so that both hold
        // the pixels and what follows is caught up rectangle by rectangle.
        for (int i = 0; i < 2; ++i) {
            presenter.Repaint({0, 0, 1, 1});
            server.busyPolls = 1;
            presenter.BeforeDrawing(true);
        }
        const long long moves = presenter.moves;
        EXPECT_EQ(moves, c.images == 2 ? 2 : 0);
        for (int i = 0; i < c.strips; ++i) {
            FillBox(display, i, 0, i, H - 1, Colorref{0x0000FF});
            presenter.Present();
            presenter.BeforeDrawing(false);  // the server read it at once
        }
        server.busyPolls = 1;
        FillBox(display, W - 1, 0, W - 1, H - 1, Colorref{0x00FF00});
        presenter.Present();
        presenter.BeforeDrawing(true);
        EXPECT_EQ(presenter.moves - moves, c.images == 2 ? 1 : 0);
        FillBox(display, 20, 10, 21, 11, Colorref{0x0000FF});
        EXPECT_EQ(display.dirty.bounds(), (ChangedArea::Box{20, 10, 22, 12}));
        presenter.Present();
        server.CatchUp();
        EXPECT_TRUE(SameBitmap(server.screen, display.target()));
        // The display keeps its pixels when the presenter goes.
        const Bitmap before = display.target();
        { FramePresenter gone(display, std::make_unique<FakeServer>(W, H, c.images)); }
        EXPECT_TRUE(SameBitmap(display.target(), before));
        EXPECT_NE(display.target().memory(), server.Image(0));
    }
}

TEST(FramePresenter, APutTheServerFailedIsSentAgainPlainAndNeverWaitedFor) {
    constexpr int W = 64, H = 48;
    SlideSurfaces s;
    PresentingHost host(s);
    PrepareTransition(host, W, H, Colorref{0}, 2, OutgoingCard(W, H), IncomingCard(W, H));
    s.Display.trackDirty = true;
    auto owned = std::make_unique<FakeServer>(W, H, 2);
    FakeServer& server = *owned;
    server.failing = true;
    server.busyPolls = 1;
    FramePresenter presenter(s.Display, std::move(owned));
    presenter.Repaint({0, 0, W, H});
    host.presenter = &presenter;
    host.EffectNumber = 7;
    RunTransition(host);
    ASSERT_GT(host.frames, 3);
    EXPECT_TRUE(server.plain) << "shared memory still used after it failed";
    EXPECT_EQ(server.waits, 0);
    EXPECT_TRUE(SameBitmap(server.screen, IncomingCard(W, H)));
    // A display resized under the presenter needs a new one.
    s.Display.target().resize(W + 1, H);
    EXPECT_FALSE(presenter.Serves());
}

}  // namespace
}  // namespace tav::test
