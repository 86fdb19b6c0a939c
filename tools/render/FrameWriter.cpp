#include "render/FrameWriter.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tav {
namespace {

void PutBigEndian(std::vector<unsigned char>& out, std::uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
                                static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
    out.insert(out.end(), b, b + 4);
}

void PutChunk(std::vector<unsigned char>& out, const char* type, const unsigned char* data, std::size_t size) {
    PutBigEndian(out, static_cast<std::uint32_t>(size));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (size) out.insert(out.end(), data, data + size);
    PutBigEndian(out, static_cast<std::uint32_t>(crc32_z(0, out.data() + start, size + 4)));
}

}  // namespace

std::vector<unsigned char> EncodePng(const Bitmap& frame) {
    const int w = frame.width(), h = frame.height();
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3 + 1;
    // Each row as its filter type (2: minus the byte above) and the R, G, B bytes.
    // Left uninitialised: every byte is written below.
    const std::size_t rawSize = rowBytes * h;
    const std::unique_ptr<unsigned char[]> raw(new unsigned char[rawSize]);
    for (int y = 0; y < h; ++y) {
        unsigned char* out = raw.get() + rowBytes * y;
        *out++ = 2;
        const Pixel* row = frame.row(y);
        const Pixel* above = y > 0 ? frame.row(y - 1) : nullptr;
        for (int x = 0; x < w; ++x) {
            const Pixel p = row[x], q = above ? above[x] : 0;
            out[0] = static_cast<unsigned char>((p >> 16) - (q >> 16));
            out[1] = static_cast<unsigned char>((p >> 8) - (q >> 8));
            out[2] = static_cast<unsigned char>(p - q);
            out += 3;
        }
    }

    // One compressor per thread, made once: level 1 is the fastest that still
    // finds repeated rows and flat areas.
    struct Compressor {
        libdeflate_compressor* c = libdeflate_alloc_compressor(1);
        ~Compressor() { libdeflate_free_compressor(c); }
    };
    thread_local Compressor compressor;
    const std::size_t bound = libdeflate_zlib_compress_bound(compressor.c, rawSize);
    const std::unique_ptr<unsigned char[]> packed(new unsigned char[bound]);
    const std::size_t packedSize = libdeflate_zlib_compress(compressor.c, raw.get(), rawSize, packed.get(), bound);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.reserve(packedSize + 64);
    std::vector<unsigned char> header;
    PutBigEndian(header, static_cast<std::uint32_t>(w));
    PutBigEndian(header, static_cast<std::uint32_t>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filters per row, no interlace
    PutChunk(png, "IHDR", header.data(), header.size());
    PutChunk(png, "IDAT", packed.get(), packedSize);
    PutChunk(png, "IEND", nullptr, 0);
    return png;
}

FrameWriter::FrameWriter(std::string dir, unsigned threads) : dir_(std::move(dir)) {
    threads = std::max(threads, 1u);
    limit_ = 2 * threads;
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : workers_) t.join();
}

void FrameWriter::Add(const Bitmap& frame) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < limit_; });
    waiting_.emplace_back(++added_, frame);
    changed_.notify_all();
}

bool FrameWriter::Finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.empty() && busy_ == 0; });
    return !failed_;
}

void FrameWriter::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
        if (waiting_.empty()) return;
        auto [number, frame] = std::move(waiting_.front());
        waiting_.pop_front();
        ++busy_;
        changed_.notify_all();
        lock.unlock();

        const std::vector<unsigned char> png = EncodePng(frame);
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%04d.png", number);
        bool ok = false;
        if (std::FILE* f = std::fopen((dir_ + name).c_str(), "wb")) {
            ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
            ok = std::fclose(f) == 0 && ok;
        }

        lock.lock();
        failed_ = failed_ || !ok;
        --busy_;
        changed_.notify_all();
    }
}

}  // namespace tav
