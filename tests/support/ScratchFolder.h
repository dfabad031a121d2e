#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A fresh folder per test, removed afterwards, so that file tests never see each other's files.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::path(testing::TempDir()) / "vestra-test-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const std::string& name) const {
        return (std::filesystem::path(path) / name).string();
    }
    std::string write(const std::string& name, const std::string& content) const {
        const std::string target = file(name);
        std::ofstream(target, std::ios::binary) << content;
        return target;
    }

private:
    std::string path;
};

// The whole content of a file, byte for byte (empty when it cannot be read).
inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
