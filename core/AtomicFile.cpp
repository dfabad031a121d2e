#include "core/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

AtomicFile::AtomicFile(std::string targetPath) : target(std::move(targetPath)) {
    std::string pattern = target + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        error = "Cannot write \"" + target + "\": " + std::strerror(errno) + ".";
        return;
    }
    temporary = name.data();
    // mkstemp creates the file for the owner only; give it the permissions a newly created file
    // gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
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
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = "Cannot replace \"" + target + "\": " + std::strerror(errno) + ".";
        discard();
        return false;
    }
    temporary.clear();
    return true;
}
