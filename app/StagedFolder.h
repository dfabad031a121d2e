#pragma once

#include <string>
#include <vector>

/// A folder of results written all or nothing: the files go into a hidden sibling folder, which
/// commit() renames to the target. A target that exists is replaced only when it holds nothing
/// but files of the names this folder may write (an earlier run's results), so that a folder of
/// the user's own is never removed; a failed or abandoned run leaves the target as it was.
class StagedFolder {
public:
    /// The folder `target`, whose results are among `resultNames`.
    StagedFolder(std::string target, std::vector<std::string> resultNames);
    ~StagedFolder();
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    /// Checks that the target can be replaced and makes the staging folder; false with `error`.
    bool open(std::string& error);
    /// The path of `name` inside the staging folder, to write to.
    std::string file(const std::string& name) const;
    /// Puts the staged files in place of the target; false with `error`, the target as it was.
    bool commit(std::string& error);

private:
    /// False with `error` when the target is not a folder of earlier results.
    bool checkReplaceable(std::string& error) const;

    std::string target;
    std::vector<std::string> names;
    std::string staging;  ///< empty until open() made it; cleared by commit()
};
