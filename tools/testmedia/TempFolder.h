// A throw-away folder for the files a test or a measuring tool makes.
#pragma once

#include <string>

namespace tav::test {

// Creates a fresh folder below the system's temporary folder (throws
// std::runtime_error when it cannot) and removes it with everything in it
// when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // <path>/name
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace tav::test
