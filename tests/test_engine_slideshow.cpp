#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "effects/EffectTable.h"
#include "effects/RecordingHost.h"
#include "engine/SlideShow.h"
#include "support/effect_harness.h"

namespace tav {
namespace {

struct FakeTimers : ShowTimers {
    int slideInterval = -1;
    bool slide = false, cd = false, mp3 = false;
    void SetSlideInterval(int ms) override { slideInterval = ms; }
    void EnableSlideTimer(bool on) override { slide = on; }
    void EnableCdPoll(bool on) override { cd = on; }
    bool CdPollEnabled() const override { return cd; }
    void EnableMp3Restart(bool on) override { mp3 = on; }
};

// A show on a small area over pictures of one flat colour each, so every
// frame tells which picture it shows.
struct ShowFixture : ::testing::Test {
    QTemporaryDir dir;
    SlideSurfaces surfaces;
    RecordingHost host{surfaces};
    FakeTimers timers;
    CurrentValues values;
    PictureListData list;
    static constexpr Pixel kColours[] = {0xFF0000, 0x00FF00, 0x0000FF};

    void SetUp() override {
        values.AreaWidth = 64;
        values.AreaHeight = 48;
        values.EffectSpeed = 8;
        values.IntervalSeconds = 3;
    }
    void UsePictures(int n) {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i) {
            QImage img(32, 24, QImage::Format_RGB32);
            img.fill(QColor::fromRgb(kColours[i]));
            const QString path = dir.filePath(QString("p%1.bmp").arg(i + 1));
            img.save(path, "BMP");
            paths.push_back(path.toStdString());
        }
        list.Assign(paths);
    }
    // Which picture (1-based) the display shows at its centre, 0 for none.
    int Shown() {
        const Pixel p = host.Display().bitmap().pixel(32, 24);
        for (int i = 0; i < 3; ++i)
            if (p == kColours[i]) return i + 1;
        return 0;
    }
};

TEST_F(ShowFixture, StartUpRunsTheFirstTransitionFromPictureOneToTwo) {
    UsePictures(2);
    SlideShow show(host, timers, values, list);
    show.Prepare();
    EXPECT_EQ(Shown(), 1) << "the first picture is on the display before the first transition";
    EXPECT_EQ(host.EffectNumber, 1);
    EXPECT_FALSE(timers.slide);
    show.Begin();
    EXPECT_TRUE(timers.slide);
    EXPECT_EQ(Shown(), 2);
}

TEST_F(ShowFixture, TwoPicturesInListOrderAlternate) {
    UsePictures(2);
    SlideShow show(host, timers, values, list);
    show.Prepare();
    show.Begin();
    std::vector<int> indices{show.CurrentIndex()};
    for (int i = 0; i < 4; ++i) {
        show.Tick();
        indices.push_back(show.CurrentIndex());
    }
    EXPECT_EQ(indices, (std::vector<int>{2, 1, 2, 1, 2}));
}

TEST_F(ShowFixture, NumericEffectOrderCountsUpFromOne) {
    UsePictures(3);
    SlideShow show(host, timers, values, list);
    show.Prepare();
    show.Begin();
    for (int expected = 2; expected <= 6; ++expected) {
        show.Tick();
        EXPECT_EQ(host.EffectNumber, expected);
    }
}

TEST_F(ShowFixture, SlideIntervalIsSecondsOrOneMillisecond) {
    UsePictures(2);
    for (auto [seconds, ms] : {std::pair{0, 1}, {10, 10000}, {1, 1000}}) {
        values.IntervalSeconds = static_cast<std::int16_t>(seconds);
        SlideShow show(host, timers, values, list);
        show.Prepare();
        EXPECT_EQ(timers.slideInterval, ms) << seconds;
    }
}

TEST_F(ShowFixture, ATickDuringATransitionStartsNoOther) {
    UsePictures(3);
    SlideShow show(host, timers, values, list);
    show.Prepare();
    int nestedTicks = 0;
    host.onFrame = [&](int, const Bitmap&) {
        if (show.InTransition() && nestedTicks++ == 0) {
            const int before = show.CurrentIndex();
            show.Tick();
            EXPECT_EQ(show.CurrentIndex(), before);
        }
    };
    show.Begin();
    EXPECT_GT(nestedTicks, 0);
    EXPECT_FALSE(show.InTransition());
}

TEST_F(ShowFixture, AnUnreadablePictureShowsTheBackgroundColour) {
    list.Assign({dir.filePath("missing.jpg").toStdString(), dir.filePath("also-missing.gif").toStdString()});
    values.BackColor = 0x00336699;  // COLORREF: red 0x99, green 0x66, blue 0x33
    SlideShow show(host, timers, values, list);
    show.Prepare();
    EXPECT_EQ(host.Display().bitmap().pixel(0, 0), 0x996633u);
}

}  // namespace
}  // namespace tav
