#include "app/SweepFiles.h"

#include <filesystem>
#include <ostream>

namespace SweepFiles {

std::string rowFile(int row, const char* suffix) {
    return "row-" + std::to_string(row) + suffix;
}

std::string foldList(int fold) {
    return "fold-" + std::to_string(fold) + ".train.csv";
}

std::string in(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).string();
}

std::string ofRow(const std::string& folder, int row, const char* suffix) {
    return in(folder, rowFile(row, suffix));
}

bool makeFolder(const std::string& folder, std::ostream& err) {
    std::error_code folderError;
    std::filesystem::create_directories(folder, folderError);
    if (folderError) {
        err << "vestra-batch: Cannot make the folder \"" << folder
            << "\": " << folderError.message() << ".\n";
        return false;
    }
    return true;
}

}  // namespace SweepFiles
