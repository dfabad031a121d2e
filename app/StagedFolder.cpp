#include "app/StagedFolder.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// A sibling of `target` that no other process of this machine names alike.
std::string siblingOf(const fs::path& target, const char* purpose) {
    fs::path name = target.filename();
    if (name.empty()) {
        name = target.parent_path().filename();  // "results/" names "results"
    }
    const fs::path parent = fs::absolute(target).lexically_normal().parent_path();
    return (parent / ("." + name.string() + "." + purpose + "-" + std::to_string(getpid())))
        .string();
}

}  // namespace

StagedFolder::StagedFolder(std::string targetPath, std::vector<std::string> resultNames)
    : target(std::move(targetPath)), names(std::move(resultNames)) {}

StagedFolder::~StagedFolder() {
    if (!staging.empty()) {
        std::error_code ignored;
        fs::remove_all(staging, ignored);
    }
}

bool StagedFolder::checkReplaceable(std::string& error) const {
    std::error_code code;
    const fs::file_status status = fs::symlink_status(target, code);
    if (!fs::exists(status)) {
        return true;
    }
    if (!fs::is_directory(status)) {
        error = "\"" + target + "\" exists and is not a folder";
        return false;
    }
    for (fs::directory_iterator entry(target, code), end; !code && entry != end;
         entry.increment(code)) {
        const std::string name = entry->path().filename().string();
        if (!entry->is_regular_file() ||
            std::find(names.begin(), names.end(), name) == names.end()) {
            error = "the folder \"" + target + "\" holds \"" + name +
                    "\", which is not a result of this command; name a new folder or an "
                    "earlier result folder";
            return false;
        }
    }
    if (code) {
        error = "cannot read the folder \"" + target + "\": " + code.message();
        return false;
    }
    return true;
}

bool StagedFolder::open(std::string& error) {
    if (!checkReplaceable(error)) {
        return false;
    }
    const std::string path = siblingOf(target, "partial");
    std::error_code code;
    fs::remove_all(path, code);
    if (!fs::create_directory(path, code)) {
        error = "cannot make a folder beside \"" + target +
                "\": " + (code ? code.message() : std::string("it exists"));
        return false;
    }
    staging = path;
    return true;
}

std::string StagedFolder::file(const std::string& name) const {
    return (fs::path(staging) / name).string();
}

bool StagedFolder::commit(std::string& error) {
    std::error_code code;
    // An earlier result folder steps aside first and is removed only once the new one is in
    // place, so that a failed rename leaves it where it was.
    std::string previous;
    if (fs::exists(fs::symlink_status(target, code))) {
        if (!checkReplaceable(error)) {
            return false;
        }
        previous = siblingOf(target, "previous");
        fs::remove_all(previous, code);
        fs::rename(target, previous, code);
        if (code) {
            error = "cannot move the earlier \"" + target + "\" aside: " + code.message();
            return false;
        }
    }
    fs::rename(staging, target, code);
    if (code) {
        error = "cannot put the results in \"" + target + "\": " + code.message();
        if (!previous.empty()) {
            std::error_code ignored;
            fs::rename(previous, target, ignored);
        }
        return false;
    }
    staging.clear();
    if (!previous.empty()) {
        fs::remove_all(previous, code);
    }
    return true;
}
