#pragma once

#include <cstdint>
#include <string>

/// Reading whole text files with a size limit, for the readers that parse from memory.
namespace TextFile {

/// Largest file that the recording readers accept, in bytes.
constexpr std::uint64_t maxSize = std::uint64_t{1} << 30;

/// Reads the file at `path` into `content` (bytes as stored, no newline translation). Returns
/// false with `error` saying why when it cannot be opened or read, or is larger than maxSize;
/// `what` names the kind of file in that message, with its article ("a recording", "an ANA
/// file").
bool read(const std::string& path, const char* what, std::string& content, std::string& error);

}  // namespace TextFile
