#include "render/Gallery.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <thread>

#include "effects/Dispatch.h"
#include "effects/EffectTable.h"
#include "render/EffectDescriptions.h"
#include "render/OutputFile.h"
#include "render/Progress.h"
#include "render/TestCards.h"
#include "render/TimedHost.h"
#include "render/VideoOutput.h"

namespace tav {

namespace {

struct EncodingFailed {};

int Failure(const std::string& message) {
    std::fprintf(stderr, "tavrelle-render: %s\n", message.c_str());
    return 1;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string IndexPage(const RenderOptions& o) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>Tavrelle: the 143 transitions</title>\n<style>\n"
        "body { font-family: sans-serif; background: #222; color: #eee; }\n"
        "main { display: flex; flex-wrap: wrap; gap: 1em; }\n"
        "figure { margin: 0; width: " +
        std::to_string(o.width) +
        "px; }\n"
        "figcaption { font-size: small; }\n"
        "</style>\n</head>\n<body>\n<h1>Tavrelle: the 143 transitions</h1>\n"
        "<p>Each picture plays one effect";
    if (!o.from.empty() || !o.to.empty())
        page += " from " + Escaped(o.from.empty() ? "the sunset card" : o.from) + " to " +
                Escaped(o.to.empty() ? "the rings card" : o.to);
    page +=
        ". Choose an effect by its number in the settings, or give the number to <code>tavrelle-render "
        "--effect</code>.</p>\n<main>\n";
    for (const EffectEntry& e : EffectTable()) {
        page += "<figure id=\"effect-" + std::to_string(e.number) + "\"><img src=\"" + GalleryFileName(e.number) +
                "\" width=\"" + std::to_string(o.width) + "\" height=\"" + std::to_string(o.height) +
                "\" loading=\"lazy\" alt=\"effect " + std::to_string(e.number) + "\">\n<figcaption>" +
                std::to_string(e.number) + ": " + Escaped(DescribeEffect(e)) + "</figcaption></figure>\n";
    }
    page += "</main>\n</body>\n</html>\n";
    return page;
}

bool WriteWhole(const std::string& path, const std::string& text, std::string& error) {
    OutputFile file;
    if (!file.Create(path, error)) return false;
    std::FILE* f = std::fopen(file.TempPath().c_str(), "wb");
    bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0;
    const int cause = errno;
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) return error = "cannot write " + path + ": " + std::strerror(cause), false;
    return file.Commit(error);
}

}  // namespace

std::string GalleryFileName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "effect-%03d.webp", number);
    return name;
}

int RenderGallery(const RenderOptions& o) {
    if (!QDir().mkpath(QString::fromStdString(o.galleryDir)))
        return Failure("cannot create the folder " + o.galleryDir);
    const Bitmap outgoing = PictureOrCard(o.from, o.width, o.height, o.backColor, true);
    const Bitmap incoming = PictureOrCard(o.to, o.width, o.height, o.backColor, false);

    // Effects draw one after another (they share the random generator);
    // their pictures are encoded meanwhile, a few at a time.
    const std::size_t parallel = std::max(1u, std::thread::hardware_concurrency());
    std::deque<std::unique_ptr<VideoOutput>> encoding;
    std::string error;
    auto finishOldest = [&] {
        const bool ok = encoding.front()->Finish(error);
        encoding.pop_front();
        return ok;
    };
    Progress progress("effect", kEffectCount);
    int done = 0;
    for (const EffectEntry& e : EffectTable()) {
        auto video = std::make_unique<VideoOutput>();
        const std::string path = o.galleryDir + "/" + GalleryFileName(e.number);
        if (!video->Open({Container::WebP, "", path, o.width, o.height, o.fps, "", ""}, error)) return Failure(error);
        VideoClock clock(o.fps, *video);
        SlideSurfaces surfaces;
        TimedHost host(surfaces, &clock);
        PrepareTransition(host, o.width, o.height, o.backColor, o.speed, outgoing, incoming);
        clock.Start(host.Display().bitmap());
        host.afterFrame = [&] {
            if (video->Failed()) throw EncodingFailed{};
        };
        host.EffectNumber = e.number;
        if (o.seed) SeedRandom(*o.seed);
        try {
            RunTransition(host);
        } catch (const EncodingFailed&) {
        }
        clock.Finish();
        encoding.push_back(std::move(video));
        while (encoding.size() > parallel) {
            if (!finishOldest()) return Failure(error);
            progress.Update(++done);
        }
    }
    while (!encoding.empty()) {
        if (!finishOldest()) return Failure(error);
        progress.Update(++done);
    }
    progress.Done();
    if (!WriteWhole(o.galleryDir + "/index.html", IndexPage(o), error)) return Failure(error);
    return 0;
}

}  // namespace tav
