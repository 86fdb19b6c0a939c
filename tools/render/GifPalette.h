#pragma once
// The palette of a GIF: 255 colours chosen by median cut from the pictures a
// passage is made of, and one transparent entry that lets the encoder leave
// unchanged pixels out. Frames are mapped with ordered dithering, which puts
// the same colour at the same place in every frame, so still parts of a
// picture stay still and cost nothing.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/Raster.h"

namespace tav {

class GifPalette {
public:
    static constexpr int kTransparent = 255;

    // A palette for frames made of these pictures.
    static GifPalette Build(const std::vector<const Bitmap*>& pictures);

    // The entries as FFmpeg's PAL8 wants them: 0xAARRGGBB.
    const std::array<std::uint32_t, 256>& Entries() const { return entries_; }
    // Writes the frame's palette indices, `stride` bytes a row.
    void Map(const Bitmap& frame, std::uint8_t* out, int stride) const;

private:
    std::array<std::uint32_t, 256> entries_{};
    std::vector<std::uint8_t> nearest_;  // by colour with 5 bits a channel
};

}  // namespace tav
