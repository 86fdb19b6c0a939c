#pragma once
// A file written under a temporary name beside its final one and renamed into
// place only when complete, so a failed or interrupted run never leaves a
// half-written file under the name the user asked for. The temporary file is
// removed when the run fails, and also when SIGINT, SIGTERM or SIGHUP ends it.

#include <string>

namespace tav {

class OutputFile {
public:
    // Creates the temporary file beside `path`; false (and `error`, one line
    // naming the cause) when the folder cannot take it.
    bool Create(const std::string& path, std::string& error);
    ~OutputFile();
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& TempPath() const { return temp_; }
    const std::string& Path() const { return path_; }
    // Renames the temporary file to the final name.
    bool Commit(std::string& error);
    // Removes the temporary file.
    void Discard();

private:
    std::string path_, temp_;
    int slot_ = -1;
};

// From now on a write beyond the file-size limit fails with an error instead
// of ending the process, and the signals above remove the temporary files.
void InstallOutputCleanup();

}  // namespace tav
