#include "storage/IniFile.h"

#include <vector>

#include "base/Text.h"
#include "storage/AtomicFile.h"

namespace tav {

namespace {

constexpr std::size_t kMaxValueBytes = 255;
constexpr std::size_t kMaxNameBytes = 127;

struct Line {
    std::string_view body;  // without its line end
    std::string_view end;   // "\n", "\r\n" or "" for a last line without one
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view whole = nl == std::string_view::npos ? text : text.substr(0, nl + 1);
        text.remove_prefix(whole.size());
        std::string_view body = whole;
        std::string_view end;
        if (!body.empty() && body.back() == '\n') {
            const bool crlf = body.size() >= 2 && body[body.size() - 2] == '\r';
            end = body.substr(body.size() - (crlf ? 2 : 1));
            body.remove_suffix(end.size());
        }
        lines.push_back({body, end});
    }
    return lines;
}

// A byte-order mark is kept in the file but is no part of the first line's text.
std::string_view WithoutBom(std::string_view body) {
    if (body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
    return body;
}

// The section name of a header line "[name]", or false when the line is none.
bool SectionHeader(std::string_view body, std::string_view& name) {
    body = TrimBlanks(WithoutBom(body), true);
    if (!body.starts_with('[')) return false;
    body.remove_prefix(1);
    const std::size_t close = body.find(']');
    name = TrimBlanks(close == std::string_view::npos ? body : body.substr(0, close), true);
    return true;
}

// The key and value of an entry line "key=value"; false for blank lines,
// comments and lines without "=".
bool Entry(std::string_view body, std::string_view& key, std::string_view& value) {
    const std::string_view trimmed = TrimBlanks(WithoutBom(body), true);
    if (trimmed.empty() || trimmed.front() == ';') return false;
    const std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) return false;
    key = TrimBlanks(trimmed.substr(0, eq), true);
    value = TrimBlanks(trimmed.substr(eq + 1), true);
    return true;
}

// Index range [first, last) of the body of the first section named section;
// first == npos when there is none.
struct SectionSpan {
    std::size_t header = std::string::npos;
    std::size_t end = 0;
};

SectionSpan FindSection(const std::vector<Line>& lines, std::string_view section) {
    SectionSpan span;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (!SectionHeader(lines[i].body, name)) continue;
        if (span.header != std::string::npos) {
            span.end = i;
            return span;
        }
        if (EqualsIgnoringAsciiCase(name, section)) span.header = i;
    }
    span.end = lines.size();
    return span;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string_view FirstLine(std::string_view text) {
    const std::size_t stop = text.find_first_of("\r\n");
    return stop == std::string_view::npos ? text : text.substr(0, stop);
}

}  // namespace

std::string MusicFileKey(int group) { return "BGMﾌｧｲﾙ_" + std::to_string(group); }
std::string OpacityKey(int group) { return "半透明_" + std::to_string(group); }

std::string GetIniValueFromText(const std::string& text, const std::string& section, const std::string& key) {
    const std::string sectionName = CutUtf8(TrimBlanks(section, true), kMaxNameBytes);
    const std::string keyName = CutUtf8(TrimBlanks(key, true), kMaxNameBytes);
    const std::vector<Line> lines = SplitLines(text);
    const SectionSpan span = FindSection(lines, sectionName);
    if (span.header == std::string::npos) return {};
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        std::string_view k, v;
        if (Entry(lines[i].body, k, v) && EqualsIgnoringAsciiCase(k, keyName))
            return CutUtf8(Unquote(v), kMaxValueBytes);
    }
    return {};
}

std::string SetIniValueInText(const std::string& text, const std::string& section, const std::string& key,
                              const std::string& value) {
    const std::string sectionName = CutUtf8(TrimBlanks(section, true), kMaxNameBytes);
    const std::string keyName = CutUtf8(TrimBlanks(key, true), kMaxNameBytes);
    // A line break would end the entry and turn the rest into lines of their own.
    const std::string entry = keyName + "=" + std::string(FirstLine(value));
    const std::vector<Line> lines = SplitLines(text);
    const std::string_view newline = (!lines.empty() && lines.front().end == "\r\n") ? "\r\n" : "\n";

    auto join = [&](std::size_t replaceAt, std::size_t insertAfter, const std::string& insert) {
        std::string out;
        out.reserve(text.size() + insert.size() + 2);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i == replaceAt) {
                out += entry;
                out += lines[i].end.empty() ? newline : lines[i].end;
            } else {
                out += lines[i].body;
                out += (lines[i].end.empty() && i + 1 < lines.size()) ? newline : lines[i].end;
            }
            if (i == insertAfter) {
                if (lines[i].end.empty() && i != replaceAt) out += newline;
                out += insert;
            }
        }
        return out;
    };

    const SectionSpan span = FindSection(lines, sectionName);
    if (span.header == std::string::npos) {
        std::string out = join(std::string::npos, std::string::npos, {});
        if (!out.empty() && out.back() != '\n') out += newline;
        out += "[" + sectionName + "]";
        out += newline;
        out += entry;
        out += newline;
        return out;
    }
    std::size_t lastContent = span.header;
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        std::string_view k, v;
        if (Entry(lines[i].body, k, v) && EqualsIgnoringAsciiCase(k, keyName)) return join(i, std::string::npos, {});
        if (!TrimBlanks(lines[i].body, true).empty()) lastContent = i;
    }
    return join(std::string::npos, lastContent, entry + std::string(newline));
}

std::string ReadIniText(const std::string& file) {
    const FileRead read = ReadDataFile(file, kMaxIniReadBytes);
    return std::string(read.bytes.begin(), read.bytes.end());
}

std::string GetIniString(const std::string& section, const std::string& key, const std::string& file) {
    return GetIniValueFromText(ReadIniText(file), section, key);
}

bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file) {
    const std::optional<Bytes> bytes = ContentsToKeep(file);
    if (!bytes) return false;
    const std::string text(bytes->begin(), bytes->end());
    return WriteFileAtomically(file, SetIniValueInText(text, section, key, value));
}

}  // namespace tav
