#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// What the text readers accept besides plain UTF-8 with line feeds, and how file content is
/// shown in messages.
namespace TextEncoding {

/// Turns `text` into UTF-8 with line feeds as the readers expect it: a UTF-8 byte order mark is
/// dropped, UTF-16 text with a byte order mark (as spreadsheet programs save "Unicode text") is
/// decoded, and in text whose lines end with carriage returns alone (old Mac text, which has
/// no line feed at all) they become line feeds. Returns false, with
/// `error` naming the encoding, for text that is UTF-32, broken UTF-16, or UTF-16 without a byte
/// order mark; `text` is then unchanged.
bool toUtf8Lines(std::string& text, std::string& error);

/// `text` as it may appear in a message: valid UTF-8 and printable ASCII as they are, every
/// other byte (control characters, stray bytes of binary files) escaped as \xNN, and cut to about
/// `longest` bytes with "..." after it.
std::string printable(std::string_view text, std::size_t longest = 40);

}  // namespace TextEncoding
