// libFuzzer entry for the picture loader: any bytes are loaded as a picture
// file, recognised by content like every file of a list (every format the
// loader knows), for a draw size capped so that each run stays quick.
#include "pictures/PictureLoader.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = tav::fuzz::InputAsFile(data, size);
    const tav::DecodedPicture picture =
        tav::LoadPictureFile(path, [](QSize natural) { return natural.boundedTo(QSize(320, 240)); });
    // What loads is a sane picture.
    if (picture.ok() && (picture.image.width() <= 0 || picture.naturalWidth > tav::kMaxPictureSide ||
                         picture.naturalHeight > tav::kMaxPictureSide))
        __builtin_trap();
    return 0;
}
