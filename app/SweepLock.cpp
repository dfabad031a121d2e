#include "app/SweepLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/SweepFiles.h"

SweepLock::SweepLock(const std::string& folder)
    : path(SweepFiles::in(folder, SweepFiles::lock)),
      descriptor(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {}

SweepLock::~SweepLock() {
    // Closing the file releases every record lock this process holds on it.
    if (descriptor >= 0) {
        close(descriptor);
    }
}

pid_t SweepLock::holder(off_t start, off_t length, off_t& lockedAt) const {
    struct flock query {};
    query.l_type = F_WRLCK;
    query.l_whence = SEEK_SET;
    query.l_start = start;
    query.l_len = length;
    if (descriptor < 0 || fcntl(descriptor, F_GETLK, &query) != 0 || query.l_type == F_UNLCK) {
        return 0;
    }
    lockedAt = query.l_start;
    return query.l_pid;
}

bool SweepLock::take(off_t start, std::string& error) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = 1;
    if (descriptor < 0 || fcntl(descriptor, F_SETLK, &lock) != 0) {
        error = "cannot lock \"" + path + "\": " + std::strerror(errno) + ".";
        return false;
    }
    return true;
}

bool SweepLock::lockSweep(std::string& error) {
    off_t at = 0;
    if (const pid_t other = holder(0, 1, at)) {
        error = "another sweep (process " + std::to_string(other) + ") is running into this " +
                "folder; let it finish or stop it first.";
        return false;
    }
    if (const pid_t other = holder(1, 0, at)) {
        error = "row " + std::to_string(at) + " is still running in process " +
                std::to_string(other) +
                " (a sweep stopped before it, or a cluster task); run this again when it has "
                "ended.";
        return false;
    }
    return take(0, error);
}

bool SweepLock::lockRow(int row, pid_t parent, std::string& error) {
    off_t at = 0;
    const pid_t sweep = holder(0, 1, at);
    if (sweep != 0 && sweep != parent) {
        error = "a sweep (process " + std::to_string(sweep) + ") is running into this folder " +
                "and runs row " + std::to_string(row) + " itself.";
        return false;
    }
    if (const pid_t other = holder(row, 1, at)) {
        error = "row " + std::to_string(row) + " is already running in process " +
                std::to_string(other) + ".";
        return false;
    }
    return take(row, error);
}
