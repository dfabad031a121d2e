#pragma once

#include <string>
#include <vector>

/// Command lines as text a shell reads back as the same arguments: for logs, messages and job
/// scripts.
namespace CommandText {

/// `text` in single quotes, a quote in it written '\''.
std::string quoted(const std::string& text);
/// The arguments joined by blanks, quoted only where a shell would split or expand them, so
/// that logs show plain commands plainly.
std::string of(const std::vector<std::string>& arguments);

}  // namespace CommandText
