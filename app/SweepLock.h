#pragma once

#include <sys/types.h>

#include <string>

/// The locks on a sweep folder's "sweep.lock" that keep two processes from running the same rows
/// at once: a whole sweep holds byte 0, a process running row K holds byte K. They are record
/// locks, so they go with the process that held them however it ended (even by kill -9), and the
/// system names the holder.
class SweepLock {
public:
    /// Opens (or makes) the folder's lock file; locks nothing yet.
    explicit SweepLock(const std::string& folder);
    ~SweepLock();
    SweepLock(const SweepLock&) = delete;
    SweepLock& operator=(const SweepLock&) = delete;

    /// Takes the lock of the whole sweep. False, with `error`, when another sweep holds it or a
    /// row is still running in another process (one an earlier sweep left behind).
    bool lockSweep(std::string& error);
    /// Takes the lock of row `row`, for the process that runs it. False, with `error`, when
    /// another process runs that row, or a whole sweep other than `parent` (the process that
    /// started this row, or 0) runs into the folder.
    bool lockRow(int row, pid_t parent, std::string& error);

private:
    /// The process that holds a lock on `length` bytes from `start` (0: to the end), or 0.
    pid_t holder(off_t start, off_t length, off_t& lockedAt) const;
    bool take(off_t start, std::string& error);

    std::string path;
    int descriptor = -1;
};
