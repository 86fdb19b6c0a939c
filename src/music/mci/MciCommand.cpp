#include "music/mci/MciCommand.h"

#include "music/mci/MciErrors.h"

#include <limits>

namespace tav::mci {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsOpenKeyword(std::string_view word) {
    return EqualsIgnoringAsciiCase(word, "alias") || EqualsIgnoringAsciiCase(word, "shareable") ||
           EqualsIgnoringAsciiCase(word, "wait") || EqualsIgnoringAsciiCase(word, "notify");
}

}  // namespace

bool ParseUnsigned(std::string_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 18) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    value = v;
    return true;
}

std::uint32_t SplitWords(std::string_view text, std::vector<Word>& words) {
    words.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i >= text.size()) break;
        Word word;
        const std::size_t start = i;
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos) return kNoClosingQuote;
            word.text = std::string(text.substr(i + 1, close - i - 1));
            word.quoted = true;
            i = close + 1;
        } else {
            while (i < text.size() && !IsBlank(text[i])) ++i;
            word.text = std::string(text.substr(start, i - start));
        }
        words.push_back(std::move(word));
    }
    return kOk;
}

std::uint32_t ParseCommand(std::string_view text, Command& command) {
    command = Command{};
    // An unquoted file name is taken as written, quotes included, so the
    // blank-separated words are found first without any quote rule: a file
    // may be called 12" Mix.mp3.
    std::vector<std::size_t> starts, ends;
    for (std::size_t i = 0; i < text.size();) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i >= text.size()) break;
        starts.push_back(i);
        while (i < text.size() && !IsBlank(text[i])) ++i;
        ends.push_back(i);
    }
    const auto raw = [&](std::size_t k) { return text.substr(starts[k], ends[k] - starts[k]); };
    if (starts.size() >= 2 && EqualsIgnoringAsciiCase(raw(0), "open") && text[starts[1]] != '"') {
        command.verb = "open";
        // The name runs up to the last "type" keyword or, without one, up
        // to the first open keyword.
        std::size_t typeAt = 0;
        for (std::size_t k = starts.size() - 1; k >= 2 && typeAt == 0; --k)
            if (EqualsIgnoringAsciiCase(raw(k), "type")) typeAt = k;
        if (typeAt == 0) {
            typeAt = starts.size();
            for (std::size_t k = 2; k < starts.size() && typeAt == starts.size(); ++k)
                if (IsOpenKeyword(raw(k))) typeAt = k;
        }
        command.device = std::string(text.substr(starts[1], ends[typeAt - 1] - starts[1]));
        return typeAt < starts.size() ? SplitWords(text.substr(starts[typeAt]), command.words) : kOk;
    }

    std::vector<Word> words;
    if (const auto err = SplitWords(text, words)) return err;
    if (words.empty()) return kMissingCommandString;
    command.verb = LowerAscii(words[0].text);
    if (words.size() < 2) return kMissingDeviceName;
    command.device = words[1].text;
    if (command.device.empty()) return kMissingDeviceName;
    command.words.assign(words.begin() + 2, words.end());
    return kOk;
}

}  // namespace tav::mci
