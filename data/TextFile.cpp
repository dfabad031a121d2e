#include "data/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

namespace TextFile {

bool read(const std::string& path, const char* what, std::string& content, std::string& error) {
    content.clear();
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
        return false;
    }
    struct stat status {};
    if (fstat(fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode)) {
        error = "Cannot read \"" + path + "\": it is a folder.";
        return false;
    }
    const std::string tooLarge =
        "\"" + path + "\" is larger than 1 GiB, more than " + what + " may hold.";
    // Reserving the file's size keeps the peak memory at the size of the text itself.
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        if (size > static_cast<long>(maxSize)) {
            error = tooLarge;
            return false;
        }
        if (size > 0) {
            content.reserve(static_cast<size_t>(size));
        }
        std::rewind(file.get());
    }
    char chunk[65536];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        content.append(chunk, got);
        if (content.size() > maxSize) {
            content = std::string();
            error = tooLarge;
            return false;
        }
        if (got < sizeof chunk) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        content = std::string();
        error = "Cannot read \"" + path + "\": " + std::strerror(errno) + ".";
        return false;
    }
    return true;
}

}  // namespace TextFile
