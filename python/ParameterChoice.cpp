#include "python/ParameterChoice.h"

#include <sys/stat.h>

#include "python/ParameterValues.h"
#include "python/Refusal.h"
#include "python/ScratchFile.h"

namespace {

// Every occurrence of `from` in `text` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace

ParameterChoice ParameterChoice::file(std::string path) {
    ParameterChoice choice;
    choice.path = std::move(path);
    return choice;
}

ParameterChoice ParameterChoice::held(std::shared_ptr<const ParameterValues> values) {
    ParameterChoice choice;
    choice.values = std::move(values);
    return choice;
}

std::string ParameterChoice::identity() const {
    if (values) {
        return "held\n" + values->text();
    }
    if (path.empty()) {
        return std::string();
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        // Never kept: loading it fails.
        return "missing\n" + path;
    }
    return "file\n" + path + "\n" + std::to_string(status.st_dev) + " " +
           std::to_string(status.st_ino) + " " + std::to_string(status.st_size) + " " +
           std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec);
}

std::string ParameterChoice::label() const {
    return values ? values->label() : path;
}

void ParameterChoice::loadWith(
    const std::function<bool(const std::string& path, std::string& error)>& load) const {
    std::string error;
    if (values) {
        const ScratchFile file(values->text());
        if (!load(file.path(), error)) {
            throw Refusal(replaced(error, file.path(), values->label()));
        }
        return;
    }
    if (!load(path, error)) {
        throw path.empty() ? Refusal(error) : Refusal::aboutReading(path, error);
    }
}
