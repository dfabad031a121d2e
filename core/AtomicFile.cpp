#include "core/AtomicFile.h"

#include <fcntl.h>
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

bool AtomicFile::canWrite(const std::string& path, std::string& error) {
    const std::string destination = followLinks(path);
    const auto refuse = [&](const std::string& why) {
        error = "Cannot write \"" + path + "\": " + why + ".";
        return false;
    };
    struct stat existing;
    if (stat(destination.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            return refuse("it is a folder");
        }
        if (!S_ISREG(existing.st_mode)) {
            return access(destination.c_str(), W_OK) == 0 || refuse(std::strerror(errno));
        }
    }
    std::filesystem::path folder = std::filesystem::path(destination).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    struct stat folderStatus;
    if (stat(folder.c_str(), &folderStatus) != 0) {
        return refuse("its folder \"" + folder.string() + "\" does not exist");
    }
    if (!S_ISDIR(folderStatus.st_mode)) {
        return refuse("\"" + folder.string() + "\" is not a folder");
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return refuse("its folder \"" + folder.string() + "\" takes no new files (" +
                      std::strerror(errno) + ")");
    }
    return true;
}

AtomicFile::AtomicFile(std::string targetPath) : target(std::move(targetPath)) {
    destination = followLinks(target);
    struct stat existing;
    if (stat(destination.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        if (S_ISDIR(existing.st_mode)) {
            error = "Cannot write \"" + target + "\": it is a folder.";
            return;
        }
        // Renaming a file over a device or pipe would destroy it, and nothing would read what
        // is written; the text goes into it as into any other output stream.
        aside = std::tmpfile();
        if (!aside) {
            fail("write", errno);
        }
        file = aside;
        return;
    }
    std::string pattern = destination + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        fail("write", errno);
        return;
    }
    temporary = name.data();
    // mkstemp creates the file for the owner only.
    fchmod(descriptor, permissionsFor(destination));
    file = fdopen(descriptor, "w");
    if (!file) {
        fail("write", errno);
        close(descriptor);
        discard();
    }
}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::fail(const std::string& verb, int number) {
    error = "Cannot " + verb + " \"" + target + "\": " + std::strerror(number) + ".";
    return false;
}

void AtomicFile::discard() {
    if (file && file != aside) {
        std::fclose(file);
    }
    file = nullptr;
    if (aside) {
        std::fclose(aside);
        aside = nullptr;
    }
    if (!temporary.empty()) {
        std::remove(temporary.c_str());
        temporary.clear();
    }
}

bool AtomicFile::finish() {
    if (finished) {
        return error.empty();
    }
    finished = true;
    if (!file) {
        if (error.empty()) {
            error = "Cannot write \"" + target + "\".";
        }
        return false;
    }
    const bool written = std::fflush(file) == 0 && !std::ferror(file);
    const int savedErrno = errno;
    if (aside) {
        file = nullptr;
        if (!written) {
            fail("write", savedErrno);
            discard();
        }
        return written;
    }
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    if (!written || !closed) {
        fail("write", written ? errno : savedErrno);
        discard();
        return false;
    }
    return true;
}

bool AtomicFile::writeIntoSpecialFile() {
    const int descriptor = open(destination.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return fail("write", errno);
    }
    std::rewind(aside);
    char buffer[65536];
    bool written = true;
    size_t got = 0;
    while (written && (got = std::fread(buffer, 1, sizeof buffer, aside)) > 0) {
        for (size_t at = 0; at < got;) {
            const ssize_t put = write(descriptor, buffer + at, got - at);
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                written = fail("write", errno);
                break;
            }
            at += static_cast<size_t>(put);
        }
    }
    if (written && std::ferror(aside)) {
        written = fail("write", errno);
    }
    if (close(descriptor) != 0 && written) {
        written = fail("write", errno);
    }
    discard();
    return written;
}

bool AtomicFile::commit() {
    if (!finish()) {
        return false;
    }
    if (aside) {
        return writeIntoSpecialFile();
    }
    if (std::rename(temporary.c_str(), destination.c_str()) != 0) {
        fail("replace", errno);
        discard();
        return false;
    }
    temporary.clear();
    return true;
}

bool AtomicFile::finishWith(const std::string& text) {
    if (file) {
        std::fputs(text.c_str(), file);
    }
    return finish();
}

bool AtomicFile::replaceWith(const std::string& path, const std::string& text, std::string& error) {
    AtomicFile out(path);
    if (!out.finishWith(text) || !out.commit()) {
        error = out.errorMessage();
        return false;
    }
    return true;
}
