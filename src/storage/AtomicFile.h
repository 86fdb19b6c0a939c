// Bounded reads and atomic replacement of the data files.
//
// Every data file is replaced, never rewritten in place: the new contents go
// to a temporary file beside the old one, are flushed to disk, and the
// temporary file is renamed over the old name. A crash at any moment leaves
// either the old file or the new one, whole.
//
// Only regular files are read or replaced. A pipe, a device or a folder under
// a data file's name is never opened (opening a pipe would wait for a writer)
// and never replaced. A file that exists but cannot be read is "unreadable",
// not "absent": callers run on defaults and leave it alone, because writing
// over it would lose whatever the user keeps in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tav {

using Bytes = std::vector<std::uint8_t>;

enum class FileState {
    Absent,      // nothing under that name
    Unreadable,  // something is there, but not a regular file we may read
    Read,        // a regular file, read (perhaps only its first maxBytes)
};

struct FileRead {
    FileState state = FileState::Absent;
    Bytes bytes;
    bool read() const { return state == FileState::Read; }
};

// At most maxBytes from the start of a regular file. Never blocks on a pipe
// or device: they are unreadable without being opened.
FileRead ReadDataFile(const std::string& path, std::size_t maxBytes);

// The present contents of a file that is about to be rewritten with some of
// them kept: empty for an absent file, std::nullopt when the file is
// unreadable or longer than kMaxRewrittenFileBytes (writing it back cut short
// would lose its end).
inline constexpr std::size_t kMaxRewrittenFileBytes = 64u * 1024 * 1024;
std::optional<Bytes> ContentsToKeep(const std::string& path);

// What lies under path, without opening it: Absent, Read for a regular file
// (whatever its permissions), Unreadable for anything else.
FileState StateOf(const std::string& path);

// True when path is a regular file that this process may open for reading.
// Never blocks.
bool IsReadableRegularFile(const std::string& path);

// Size of the regular file in bytes, or std::nullopt when there is none.
std::optional<std::uint64_t> FileSize(const std::string& path);

// Several data files replaced as one: every new file is written and flushed
// beside its target first, and only when all of them are written are they
// renamed into place. A failure before the renames removes the temporary
// files and changes nothing.
//
// A replaced file keeps its permission bits, and its owner and group where
// this process may set them. A data file that is a symbolic link stays one:
// the new contents replace the file the link leads to (atomically, beside
// that file).
class FileTransaction {
public:
    FileTransaction() = default;
    FileTransaction(const FileTransaction&) = delete;
    FileTransaction& operator=(const FileTransaction&) = delete;
    // Removes the temporary files that were not renamed.
    ~FileTransaction();

    // Writes the new contents of path to its temporary file. False when that
    // fails or the present file is unreadable (see above); FailedPath() then
    // names path.
    bool Stage(const std::string& path, const Bytes& bytes);
    // Renames every staged file into place, in the order staged. False when a
    // rename fails: FailedPath() names that file, the files renamed before it
    // stay replaced and the others are not.
    bool Commit();
    // The data file (as the caller named it) that made Stage or Commit fail.
    const std::string& FailedPath() const { return failed_; }

private:
    struct Staged {
        std::string path;    // as the caller named it
        std::string target;  // the file that is replaced, links followed
        std::string temp;
    };
    std::vector<Staged> staged_;
    std::string failed_;
};

// Replaces path by a file holding bytes: a transaction of one file.
// Returns false, leaving the old file untouched, when any step fails and when
// the present file is unreadable (see above).
bool WriteFileAtomically(const std::string& path, const Bytes& bytes);
bool WriteFileAtomically(const std::string& path, const std::string& text);

// The file a data file's name leads to: path itself, or where its chain of
// symbolic links ends (also when that file does not exist yet).
std::string FollowLinks(const std::string& path);

// Creates path as an empty file when nothing exists there; anything existing
// is left alone. Returns true when a regular file exists afterwards.
bool EnsureFileExists(const std::string& path);

// Removes the temporary files of writers that are gone: names of the form
// "<name>.tmp-<pid>-<n>" in folder whose process no longer exists. A live
// process's file is kept, since it may be about to rename it. Returns how
// many were removed.
int RemoveLeftoverTemporaryFiles(const std::string& folder);

// Test hook run after the temporary file is written and flushed and before it
// is renamed; returning false makes the write fail there, as a crash at that
// moment would. Pass an empty function to remove it.
void SetBeforeRenameHookForTests(std::function<bool(const std::string& tempPath)> hook);

}  // namespace tav
