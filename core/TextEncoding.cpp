#include "core/TextEncoding.h"

#include <algorithm>
#include <cstdint>

namespace {

/// Bytes at the start of a file that are looked at for the NUL bytes of UTF-16 text.
constexpr std::size_t sniffedBytes = 4096;

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix.data(), prefix.size()) == 0;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

/// Decodes UTF-16 after its byte order mark; false at an odd length or an unpaired surrogate.
bool decodeUtf16(const std::string& text, bool bigEndian, std::string& out, std::size_t& badAt) {
    const auto unit = [&](std::size_t at) {
        const auto a = static_cast<unsigned char>(text[at]);
        const auto b = static_cast<unsigned char>(text[at + 1]);
        return static_cast<std::uint32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    out.reserve(text.size() / 2);
    for (std::size_t at = 2; at < text.size(); at += 2) {
        badAt = at;
        if (at + 1 >= text.size()) {
            return false;
        }
        std::uint32_t code = unit(at);
        if (code >= 0xDC00 && code <= 0xDFFF) {
            return false;
        }
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (at + 3 >= text.size()) {
                return false;
            }
            const std::uint32_t low = unit(at + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                return false;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            at += 2;
        }
        appendUtf8(out, code);
    }
    return true;
}

/// True when the start of `text` has the NUL bytes in every other place that UTF-16 text of
/// mostly ASCII characters has.
bool looksLikeUtf16(const std::string& text) {
    const std::size_t n = std::min(text.size(), sniffedBytes) & ~std::size_t{1};
    std::size_t evenNuls = 0, oddNuls = 0;
    for (std::size_t i = 0; i < n; i += 2) {
        evenNuls += text[i] == '\0';
        oddNuls += text[i + 1] == '\0';
    }
    const std::size_t units = n / 2;
    return units >= 2 && std::max(evenNuls, oddNuls) * 4 >= units * 3;
}

/// Length of the valid UTF-8 sequence of more than one byte at `at`, or 0.
std::size_t utf8Sequence(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

}  // namespace

namespace TextEncoding {

bool toUtf8Lines(std::string& text, std::string& error) {
    if (startsWith(text, std::string_view("\xFF\xFE\x00\x00", 4)) ||
        startsWith(text, std::string_view("\x00\x00\xFE\xFF", 4))) {
        error = "The file is UTF-32 text, which is not read; save it as UTF-8.";
        return false;
    }
    const bool littleEndian = startsWith(text, "\xFF\xFE");
    if (littleEndian || startsWith(text, "\xFE\xFF")) {
        std::string decoded;
        std::size_t badAt = 0;
        if (!decodeUtf16(text, !littleEndian, decoded, badAt)) {
            error = "The file is UTF-16 text (it starts with a byte order mark), but byte " +
                    std::to_string(badAt) + " does not continue it; save it as UTF-8.";
            return false;
        }
        text = std::move(decoded);
    } else if (startsWith(text, "\xEF\xBB\xBF")) {
        text.erase(0, 3);
    } else if (looksLikeUtf16(text)) {
        error =
            "The file looks like UTF-16 text without a byte order mark (every other byte is 0), "
            "which is not read; save it as UTF-8.";
        return false;
    }
    // Text with carriage returns and no line feed at all ends its lines with the returns alone.
    // In other text a lone return stays what it is, white space within a line.
    if (text.find('\n') == std::string::npos) {
        std::replace(text.begin(), text.end(), '\r', '\n');
    }
    return true;
}

std::string printable(std::string_view text, std::size_t longest) {
    static const char digits[] = "0123456789ABCDEF";
    std::string shown;
    std::size_t at = 0;
    while (at < text.size() && shown.size() < longest) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
            ++at;
        } else if (const std::size_t length = utf8Sequence(text, at)) {
            shown.append(text.substr(at, length));
            at += length;
        } else {
            shown += "\\x";
            shown += digits[c >> 4];
            shown += digits[c & 0xF];
            ++at;
        }
    }
    return at < text.size() ? shown + "..." : shown;
}

}  // namespace TextEncoding
