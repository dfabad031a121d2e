#include "core/NumberText.h"

#include <locale.h>

#include <cassert>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <vector>

namespace {

// The "C" locale as an object of its own, made once and kept for the life of the process.
locale_t cLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    assert(c);
    return c;
}

// Switches the calling thread (only it) to the "C" locale while it lives, for the formatting
// functions that have no variant taking a locale.
class CLocaleScope {
public:
    CLocaleScope() : previous(uselocale(cLocale())) {}
    ~CLocaleScope() { uselocale(previous); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous;
};

bool onlyBlanksFrom(const char* p) {
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') {
        ++p;
    }
    return *p == '\0';
}

}  // namespace

namespace NumberText {

double toDouble(const char* text, const char** end) {
    char* stop = nullptr;
    const double value = strtod_l(text, &stop, cLocale());
    if (end) {
        *end = stop;
    }
    return value;
}

float toFloat(const char* text, const char** end) {
    char* stop = nullptr;
    const float value = strtof_l(text, &stop, cLocale());
    if (end) {
        *end = stop;
    }
    return value;
}

bool isCompleteNumber(const std::string& text) {
    const char* end = nullptr;
    const double value = toDouble(text.c_str(), &end);
    return end != text.c_str() && onlyBlanksFrom(end) && std::isfinite(static_cast<float>(value));
}

bool isCompleteInt(const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const long long value = strtoll_l(text.c_str(), &end, 10, cLocale());
    return end != text.c_str() && onlyBlanksFrom(end) && errno != ERANGE && value >= INT_MIN &&
           value <= INT_MAX;
}

std::string format(const char* pattern, ...) {
    const CLocaleScope scope;
    va_list arguments;
    va_start(arguments, pattern);
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, pattern, arguments);
    va_end(arguments);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), pattern, again);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(again);
    return text;
}

bool print(std::FILE* file, const char* pattern, ...) {
    const CLocaleScope scope;
    va_list arguments;
    va_start(arguments, pattern);
    const int written = std::vfprintf(file, pattern, arguments);
    va_end(arguments);
    return written >= 0;
}

}  // namespace NumberText
