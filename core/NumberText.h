#pragma once

#include <cstdio>
#include <string>

/// Numbers to and from text with "." as the decimal point, whatever locale the process runs in.
/// The C library's conversions follow the numeric locale, and a desktop environment that writes
/// decimals with a comma would otherwise make "0.5" read as 0 and files come out as "0,5".
namespace NumberText {

/// Reads a number as `strtod` reads it in the "C" locale: leading white space, a sign, decimal
/// or hexadecimal digits, "inf" and "nan". `end`, when given, receives where reading stopped
/// (`text` itself when nothing was read).
double toDouble(const char* text, const char** end = nullptr);
/// As toDouble, but as `strtof` reads it: rounded to float once.
float toFloat(const char* text, const char** end = nullptr);
/// `atof` in the "C" locale, narrowed to float: 0 for text without a leading number.
inline float atofFloat(const char* text) {
    return static_cast<float>(toDouble(text));
}

/// True when `text` is one number that is finite as a float, and nothing else (blanks around it
/// are allowed).
bool isCompleteNumber(const std::string& text);
/// True when `text` is one whole number within the int range and nothing else.
bool isCompleteInt(const std::string& text);

/// `printf` formatting in the "C" locale.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
/// `fprintf` in the "C" locale; false when the stream reported an error.
bool print(std::FILE* file, const char* pattern, ...) __attribute__((format(printf, 2, 3)));

}  // namespace NumberText
