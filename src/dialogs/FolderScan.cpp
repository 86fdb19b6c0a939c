#include "dialogs/FolderScan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/Text.h"
#include "x11/WindowHelpers.h"

namespace tav {

namespace {

std::string NameOf(const std::string& path) {
    const auto cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WithSlash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/') return folder;
    return folder + "/";
}

}  // namespace

int FileAttributes(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    int attributes = kAttributeNormal;
    if ((info.st_mode & S_IWUSR) == 0) attributes |= kAttributeReadOnly;
    const std::string name = NameOf(path);
    if (!name.empty() && name[0] == '.') attributes |= kAttributeHidden;
    return attributes;
}

bool MatchesNamePattern(const std::string& name, const std::string& pattern) {
    // Iterative wildcard match with one back-track point for the last "*".
    std::size_t n = 0, p = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool ScanPattern(const std::string& pattern, int attribute, std::vector<std::string>& found,
                 const FolderScanHooks& hooks) {
    const std::string prefix = WithSlash(GetFolderOfPath(pattern));
    const std::string namePattern = NameOf(pattern);
    std::error_code error;
    std::vector<std::string> names;
    std::filesystem::directory_iterator it(prefix, error), end;
    for (; !error && it != end; it.increment(error)) names.push_back(it->path().filename().string());
    if (error) {
        if (hooks.ReportError) hooks.ReportError(error.message());
        return false;
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (found.size() >= kMaxFoundPaths) break;
        if (!MatchesNamePattern(name, namePattern)) continue;
        if (FileAttributes(prefix + name) != attribute) continue;
        found.push_back(prefix + name);
        if (hooks.LetEventsRun) hooks.LetEventsRun();
    }
    return true;
}

std::vector<std::string> ScanPictureFolder(const std::string& folder, const FolderScanHooks& hooks) {
    static const int kPasses[] = {kAttributeNormal, kAttributeArchive, kAttributeReadOnly};
    std::vector<std::string> found;
    std::set<std::string> failed;
    FolderScanHooks once = hooks;
    once.ReportError = [&hooks, reported = false](const std::string& description) mutable {
        if (reported || !hooks.ReportError) return;
        reported = true;
        hooks.ReportError(description);
    };
    for (int attribute : kPasses) {
        for (const char* name : kPicturePatterns) {
            const std::string pattern = WithSlash(folder) + name;
            if (failed.count(pattern)) continue;
            if (!ScanPattern(pattern, attribute, found, once)) failed.insert(pattern);
        }
    }
    return found;
}

}  // namespace tav
