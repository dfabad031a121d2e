#pragma once

#include <cstddef>
#include <string>

/// Splits text into tokens as the standard stream extraction does (white space: blank, tab,
/// line breaks, vertical tab, form feed), skipping every token that begins with "#" together
/// with the rest of its line. Calls visit(start, length) for each remaining token.
template <class Visit>
void scanTokens(const std::string& text, Visit visit) {
    const auto isBlank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    const size_t size = text.size();
    size_t pos = 0;
    while (pos < size) {
        while (pos < size && isBlank(text[pos])) {
            ++pos;
        }
        if (pos >= size) {
            break;
        }
        const size_t start = pos;
        while (pos < size && !isBlank(text[pos])) {
            ++pos;
        }
        if (text[start] == '#') {
            // A comment hides the rest of its line, also after values on the same line.
            while (pos < size && text[pos] != '\n') {
                ++pos;
            }
            continue;
        }
        visit(start, pos - start);
    }
}
