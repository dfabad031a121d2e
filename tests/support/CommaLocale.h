#pragma once

#include <clocale>
#include <string>

// Switches the whole process to a locale that writes decimals with a comma (as a German or French
// desktop does) while it lives, and back afterwards. tools/install-deps.sh generates de_DE.UTF-8
// where the system has none.
class CommaLocale {
public:
    CommaLocale() : previous(std::setlocale(LC_ALL, nullptr)) {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_ALL, name)) {
                active = std::localeconv()->decimal_point == std::string(",");
                if (active) {
                    break;
                }
            }
        }
    }
    ~CommaLocale() { std::setlocale(LC_ALL, previous.c_str()); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    /// True when a comma-decimal locale is in force.
    bool active = false;

private:
    std::string previous;
};
