#include "music/MusicClaim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>

namespace tav {

std::string MusicClaimPath() {
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    // Copies on different displays of one user each play their own music.
    for (char& c : display)
        if (c == '/') c = '_';
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString() + "/Tavrelle-music" +
           display + ".lock";
}

bool ClaimMusic() {
    static int held = -1;
    if (held >= 0) return true;
    const int fd = ::open(MusicClaimPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        return !taken;
    }
    // Kept open for the life of the process: closing it would let another copy start its music too.
    held = fd;
    return true;
}

}  // namespace tav
