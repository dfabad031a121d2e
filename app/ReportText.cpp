#include "app/ReportText.h"

namespace ReportText {

std::string counted(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string ranges(const std::vector<int>& rows) {
    std::string text;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) {
            ++j;
        }
        text += (text.empty() ? "" : ",") + std::to_string(rows[i]) +
                (j > i ? "-" + std::to_string(rows[j]) : std::string());
        i = j + 1;
    }
    return text;
}

std::string lastLine(const std::string& text) {
    const std::size_t end = text.find_last_not_of(" \r\n");
    if (end == std::string::npos) {
        return std::string();
    }
    const std::size_t before = text.find_last_of("\r\n", end);
    const std::size_t start =
        text.find_first_not_of(' ', before == std::string::npos ? 0 : before + 1);
    const std::string line = text.substr(start, end - start + 1);
    const std::string prefix = "vestra-batch: ";
    return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : line;
}

}  // namespace ReportText
