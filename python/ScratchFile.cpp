#include "python/ScratchFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "python/Refusal.h"

ScratchFile::ScratchFile() {
    std::error_code ignored;
    std::string pattern =
        (std::filesystem::temp_directory_path(ignored) / "vestra-XXXXXX.prm").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemps(name.data(), 4);
    if (descriptor < 0) {
        const int number = errno;
        throw Refusal::ofFile(
            "Cannot make a temporary file like \"" + pattern + "\": " + std::strerror(number),
            number);
    }
    close(descriptor);
    location = name.data();
}

ScratchFile::ScratchFile(const std::string& text) : ScratchFile() {
    std::ofstream out(location, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        const int number = errno;
        unlink(location.c_str());
        throw Refusal::ofFile("Cannot write the temporary file \"" + location + "\"", number);
    }
}

ScratchFile::~ScratchFile() {
    unlink(location.c_str());
}

std::string ScratchFile::text() const {
    std::ifstream in(location, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    if (!in) {
        throw Refusal::ofFile("Cannot read the temporary file \"" + location + "\"", errno);
    }
    return content.str();
}
