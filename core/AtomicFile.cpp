#include "core/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

// Where a save to `path` really goes: the file at the end of a chain of symbolic links, so that
// the link itself stays a link and its target gets the new content.
std::string followLinks(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path current(path);
    // As many hops as the system itself follows before it reports a loop.
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) {
            break;
        }
        const fs::path next = fs::read_symlink(current, error);
        if (error) {
            break;
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current.string();
}

// The permission bits the new file gets: those of the file it replaces, so that a private file
// stays private, or those of a newly created file.
mode_t permissionsFor(const std::string& path) {
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

AtomicFile::AtomicFile(std::string targetPath) : target(std::move(targetPath)) {
    destination = followLinks(target);
    std::string pattern = destination + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        error = "Cannot write \"" + target + "\": " + std::strerror(errno) + ".";
        return;
    }
    temporary = name.data();
    // mkstemp creates the file for the owner only.
    fchmod(descriptor, permissionsFor(destination));
    file = fdopen(descriptor, "w");
    if (!file) {
        error = "Cannot write \"" + target + "\": " + std::strerror(errno) + ".";
        close(descriptor);
        discard();
    }
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::discard() {
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
    if (!temporary.empty()) {
        std::remove(temporary.c_str());
        temporary.clear();
    }
}

bool AtomicFile::commit() {
    if (!file) {
        if (error.empty()) {
            error = "Cannot write \"" + target + "\".";
        }
        return false;
    }
    const bool written = std::fflush(file) == 0 && !std::ferror(file);
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    if (!written || !closed) {
        error =
            "Cannot write \"" + target + "\": " + std::strerror(written ? errno : savedErrno) + ".";
        discard();
        return false;
    }
    if (std::rename(temporary.c_str(), destination.c_str()) != 0) {
        error = "Cannot replace \"" + target + "\": " + std::strerror(errno) + ".";
        discard();
        return false;
    }
    temporary.clear();
    return true;
}
