#include "python/Refusal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

Refusal Refusal::ofProblems(const std::vector<std::string>& problems) {
    std::string text;
    for (const std::string& problem : problems) {
        text += (text.empty() ? "" : "\n") + problem;
    }
    return Refusal(text);
}

Refusal Refusal::aboutReading(const std::string& path, const std::string& message) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return ofFile(message, errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return ofFile(message, EISDIR);
    }
    const int descriptor = open(path.c_str(), O_RDONLY);
    if (descriptor < 0) {
        return ofFile(message, errno);
    }
    close(descriptor);
    return Refusal(message);
}
