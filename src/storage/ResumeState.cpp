#include "storage/ResumeState.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "storage/AtomicFile.h"

namespace tav {

namespace {

constexpr const char* kMagic = "tavrelle-resume 1";
// Two bags of 32767 and 143 entries, with room to spare.
constexpr std::size_t kMaxStateBytes = 40000;

std::string ListKey(const std::vector<std::string>& pictures) {
    // FNV-1a over the entries, each ended by a newline a path cannot hold
    // here (the list file's records are single lines).
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const std::string& entry : pictures) {
        for (unsigned char c : entry) h = (h ^ c) * 0x100000001b3ull;
        h = (h ^ '\n') * 0x100000001b3ull;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%zu %016llx", pictures.size(), static_cast<unsigned long long>(h));
    return text;
}

std::string BagText(const std::vector<bool>& bag) {
    if (bag.empty()) return "-";
    std::string text;
    for (bool drawn : bag) text += drawn ? '1' : '0';
    return text;
}

// A bag of `size` entries, or nothing when the text is not one. A bag whose
// every entry is drawn would have been emptied, so it is not one either.
std::optional<std::vector<bool>> ParseBag(const std::string& text, std::size_t size) {
    if (text == "-") return std::vector<bool>{};
    if (text.size() != size) return std::nullopt;
    std::vector<bool> bag;
    bool open = false;
    for (char c : text) {
        if (c != '0' && c != '1') return std::nullopt;
        bag.push_back(c == '1');
        open = open || c == '0';
    }
    if (!open) return std::nullopt;
    return bag;
}

std::string StateHome() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/') return state;
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* pw = ::getpwuid(::geteuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    return std::string(home && home[0] == '/' ? home : "/tmp") + "/.local/state";
}

}  // namespace

std::string ResumeStatePath(int group) { return StateHome() + "/tavrelle/resume-" + std::to_string(group); }

std::string ResumeStateText(const std::vector<std::string>& pictures, const ResumeState& state) {
    std::ostringstream out;
    out << kMagic << "\nlist " << ListKey(pictures) << "\nnext " << state.NextPicture << "\neffect "
        << state.EffectNumber << "\npictures " << BagText(state.PictureBag) << "\neffects " << BagText(state.EffectBag)
        << "\n";
    return out.str();
}

std::optional<ResumeState> ParseResumeState(const std::string& text, const std::vector<std::string>& pictures,
                                            int effectCount) {
    std::istringstream in(text);
    std::string magic, word, listCount, listHash, pictureBag, effectBag;
    ResumeState state;
    if (!std::getline(in, magic) || magic != kMagic) return std::nullopt;
    if (!(in >> word >> listCount >> listHash) || word != "list") return std::nullopt;
    if (listCount + " " + listHash != ListKey(pictures)) return std::nullopt;
    if (!(in >> word >> state.NextPicture) || word != "next") return std::nullopt;
    if (!(in >> word >> state.EffectNumber) || word != "effect") return std::nullopt;
    if (!(in >> word >> pictureBag) || word != "pictures") return std::nullopt;
    if (!(in >> word >> effectBag) || word != "effects") return std::nullopt;
    if (in >> word) return std::nullopt;
    const int count = static_cast<int>(pictures.size());
    if (state.NextPicture < 1 || state.NextPicture > count) return std::nullopt;
    if (state.EffectNumber < 0 || state.EffectNumber > effectCount) return std::nullopt;
    const auto pictureDraws = ParseBag(pictureBag, pictures.size());
    const auto effectDraws = ParseBag(effectBag, static_cast<std::size_t>(effectCount));
    if (!pictureDraws || !effectDraws) return std::nullopt;
    state.PictureBag = *pictureDraws;
    state.EffectBag = *effectDraws;
    return state;
}

std::optional<ResumeState> ReadResumeState(int group, const std::vector<std::string>& pictures, int effectCount) {
    const FileRead read = ReadDataFile(ResumeStatePath(group), kMaxStateBytes);
    if (!read.read()) return std::nullopt;
    return ParseResumeState(std::string(read.bytes.begin(), read.bytes.end()), pictures, effectCount);
}

bool WriteResumeState(int group, const std::vector<std::string>& pictures, const ResumeState& state) {
    const std::string path = ResumeStatePath(group);
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!std::filesystem::is_directory(folder)) {
        std::filesystem::create_directories(folder, ignored);
        // Which pictures someone looked at is nobody else's business.
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
    }
    return WriteFileAtomically(path, ResumeStateText(pictures, state));
}

}  // namespace tav
