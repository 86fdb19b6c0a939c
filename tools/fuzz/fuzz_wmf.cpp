// libFuzzer entry for the metafile player: any bytes are read as a metafile
// and played at its natural size (capped, so each run stays quick).
#include "pictures/WmfPlayer.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    tav::WmfInfo info;
    if (!tav::ReadWmfInfo(bytes, info)) return 0;
    tav::RenderWmf(bytes, info.naturalSize.boundedTo(QSize(256, 256)));
    return 0;
}
