// Writes the seed corpus of every fuzz target into <folder>/<target>/: real
// pictures, metafiles and data files made by the same writers the tests use,
// and the command strings the music module sends.
//   tavrelle-fuzz-seeds <folder>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "startup/SharedState.h"
#include "storage/AtomicFile.h"
#include "storage/IniFile.h"
#include "storage/PictureListFile.h"
#include "storage/ScheduleFile.h"
#include "storage/SettingsRecord.h"
#include "testmedia/PictureWriters.h"

namespace {

namespace pw = tav::pw;
namespace fs = std::filesystem;

void Save(const fs::path& folder, const std::string& name, const QByteArray& bytes) {
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary).write(bytes.constData(), bytes.size());
}

// The file a writer made, prefixed with the byte that chooses its reader.
QByteArray Prefixed(char reader, const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    fs::remove(file);
    return QByteArray(1, reader) + QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QImage Pattern(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x ^ y) & 0xFF));
    return image;
}

// A drawing that uses every kind of record the player knows.
QByteArray EveryRecordMetafile(bool placeable) {
    pw::WmfWriter w;
    if (placeable) w.setPlaceable(QRect(0, 0, 400, 300), 1000);
    w.setWindowOrg(0, 0);
    w.setWindowExt(400, 300);
    w.setBkMode(1);
    w.setPolyFillMode(2);
    w.selectObject(w.createPen(0, 3, Qt::blue));
    w.selectObject(w.createBrush(2, Qt::green, 3));
    w.saveDc();
    w.record(0x0416, {200, 300, 10, 10});  // IntersectClipRect
    w.record(0x0415, {60, 80, 40, 20});    // ExcludeClipRect
    w.rectangle(0, 0, 400, 300);
    w.restoreDc(-1);
    w.ellipse(10, 10, 200, 150);
    w.roundRect(20, 20, 120, 90, 20, 20);
    w.polygon({{0, 0}, {100, 0}, {50, 80}});
    w.polyline({{0, 290}, {200, 200}, {390, 290}});
    w.polyPolygon({{{0, 0}, {100, 0}, {50, 80}}, {{200, 200}, {300, 210}, {250, 290}}});
    w.pie(0, 0, 400, 300, 400, 150, 200, 0);
    w.arc(50, 50, 350, 250, 0, 0, 400, 300);
    w.chord(60, 60, 340, 240, 400, 0, 0, 300);
    w.moveTo(0, 0);
    w.lineTo(400, 300);
    w.setRop2(7);
    w.lineTo(0, 300);
    w.setTextColor(Qt::red);
    w.selectObject(w.createFont(-40, 700, false, "Sans"));
    w.textOut(20, 200, "Tavrelle");
    const QRect box(10, 240, 200, 40);
    w.extTextOut(10, 250, 2, &box, "opaque", {20, 20, 20, 20, 20, 20});
    const QImage pattern = Pattern(16, 12);
    w.stretchDib(QRect(200, 0, 200, 150), QRect(0, 0, 16, 12), pattern);
    w.dibStretchBlt(QRect(0, 150, 100, 75), QRect(0, 0, 16, 12), pattern, 0x008800C6);
    w.dibBitBlt(QPoint(300, 200), QRect(0, 0, 16, 12), pattern, 0x00EE0086);
    w.deleteObject(0);
    return w.finish();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavrelle-fuzz-seeds <folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const fs::path root = argv[1];

    const QByteArray metafiles[] = {EveryRecordMetafile(true), EveryRecordMetafile(false)};
    for (const char* target : {"fuzz_wmf", "fuzz_pictures"}) {
        Save(root / target, "every-record.wmf", metafiles[0]);
        Save(root / target, "every-record-plain.wmf", metafiles[1]);
        int n = 0;
        for (auto kind :
             {pw::CostlyMetafile::ClipMaze, pw::CostlyMetafile::LargeShapes, pw::CostlyMetafile::TinyRecords,
              pw::CostlyMetafile::LargeText, pw::CostlyMetafile::ManyEdges})
            Save(root / target, "costly-" + std::to_string(n++) + ".wmf", pw::WriteCostlyMetafile(kind, 2048));
    }
    const QImage pattern = Pattern(40, 30);
    const fs::path pictures = root / "fuzz_pictures";
    Save(pictures, "p24.bmp", pw::WriteBmp24(pattern));
    Save(pictures, "p8.bmp", pw::WriteBmp8(pattern, false));
    Save(pictures, "rle8.bmp", pw::WriteBmp8(pattern, true));
    Save(pictures, "two-frames.gif", pw::WriteGif({pattern, pattern.mirrored()}));
    Save(pictures, "plain.jpg", pw::WriteJpeg(pattern, 90));
    Save(pictures, "turned.jpg", pw::WriteJpeg(pattern, 80, 6));
    Save(pictures, "p.png", pw::WritePng(pattern));
    Save(pictures, "turned.png", pw::WritePng(pattern, 8));
    Save(pictures, "p.webp", pw::WriteWebp(pattern));
    Save(pictures, "p.tiff", pw::WriteTiff(pattern, 3));
    Save(pictures, "p.heic", pw::WriteHeif(pattern, pw::HeifCodec::Hevc));

    // The data files, written by the program's own writers.
    const fs::path data = root / "fuzz_data_files";
    fs::create_directories(data);
    const std::string scratch = (data / "scratch").string();
    tav::SaverSettingsData settings;
    tav::WriteSettingsRecord(scratch, settings);
    Save(data, "settings-default", Prefixed(0, scratch));
    settings.CurrentGroup = 7;
    settings.Groups[7].MusicMode = 2;
    settings.Groups[7].BackColor = 0x00336699;
    tav::WriteSettingsRecord(scratch, settings);
    Save(data, "settings-group7", Prefixed(0, scratch));
    tav::WritePictureListFile(scratch, {"/p/one.jpg", "  /p/with blanks.gif ", "", "/p/ü.bmp"});
    Save(data, "list", Prefixed(1, scratch));
    tav::ScheduleRecord schedule;
    schedule.Mode = 3;
    schedule.SetCell(3, 15, '4');
    schedule.SetCell(0, 0, '7');
    tav::WriteScheduleFile(scratch, schedule);
    Save(data, "schedule", Prefixed(2, scratch));
    tav::WriteIniString("Other", "key", "kept", scratch);
    tav::WriteIniString(tav::kIniSection, tav::MusicFileKey(0), "/music/a b.mp3", scratch);
    tav::WriteIniString(tav::kIniSection, tav::OpacityKey(0), "180.9", scratch);
    Save(data, "ini", Prefixed(3, scratch));

    const char* commands[] = {
        "open cdaudio",
        "open \"/music/a b.mp3\" type MPEGVideo Alias MP3Play",
        "open /a b/c d.mp3 type MPEGVideo Alias MP3Play",
        "play MP3Play from 0",
        "status MP3Play mode",
        "status MP3Play length",
        "set cdaudio time format tmsf",
        "play cdaudio from 02:00:01:00 to 03",
        "status cdaudio number of tracks",
        "status cdaudio position track 4",
        "close all",
    };
    int n = 0;
    for (const char* c : commands) Save(root / "fuzz_music_commands", "command-" + std::to_string(n++), QByteArray(c));
    return 0;
}
