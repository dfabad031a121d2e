#pragma once

#include <cstddef>
#include <string>
#include <vector>

/// Pieces of the sweep's reports on standard output.
namespace ReportText {

/// "1 row", "3 rows".
std::string counted(std::size_t count, const std::string& noun);
/// "1-3,5,7-8" for the ascending rows 1, 2, 3, 5, 7, 8.
std::string ranges(const std::vector<int>& rows);
/// The last line of `text` that holds anything, without the tool's own "vestra-batch: ". A
/// progress display ends its lines with a carriage return, so that counts as a line end too.
std::string lastLine(const std::string& text);

}  // namespace ReportText
