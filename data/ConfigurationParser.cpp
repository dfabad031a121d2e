#include "data/ConfigurationParser.h"

#include "core/NumberText.h"
#include "core/TokenScanner.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

bool ConfigurationParser::load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
        return false;
    }
    std::string text;
    try {
        // A read error (such as a folder opened as a file) surfaces as an exception of the
        // stream buffer, not as a stream state.
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        error = "Cannot read \"" + path + "\": " + std::strerror(errno) + ".";
        return false;
    }
    if (file.bad()) {
        error = "Cannot read \"" + path + "\".";
        return false;
    }
    error.clear();
    loadText(text);
    return true;
}

void ConfigurationParser::loadText(const std::string& text) {
    std::vector<std::string>* current = &sections[std::string()];
    scanTokens(text, [&](size_t start, size_t length) {
        if (text[start] == '%') {
            current = &sections[text.substr(start + 1, length - 1)];
            current->clear();
        } else {
            current->push_back(text.substr(start, length));
        }
    });
}

bool ConfigurationParser::has(const std::string& key) const {
    return sections.count(key) != 0;
}

int ConfigurationParser::count(const std::string& key) const {
    const auto found = sections.find(key);
    return found == sections.end() ? 0 : static_cast<int>(found->second.size());
}

float ConfigurationParser::value(const std::string& key, int index) const {
    const auto found = sections.find(key);
    if (found == sections.end() || index < 0 || index >= static_cast<int>(found->second.size())) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return NumberText::atofFloat(found->second[index].c_str());
}

std::string ConfigurationParser::words(const std::string& key) const {
    std::string joined;
    const auto found = sections.find(key);
    if (found != sections.end()) {
        for (const std::string& word : found->second) {
            joined += (joined.empty() ? "" : " ") + word;
        }
    }
    return joined;
}
