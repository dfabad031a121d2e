#pragma once

#include <stdexcept>
#include <string>
#include <vector>

/// Input that the library refused, carrying its message to Python: a ValueError, or an OSError
/// when a file could not be opened, read or written. Thrown by the module's own code only; the
/// library itself returns its errors.
class Refusal : public std::runtime_error {
public:
    /// Bad input: a malformed file, an unknown name, a setting out of range.
    explicit Refusal(const std::string& message) : std::runtime_error(message) {}
    /// A file that the system refused, with its error number (0 when none is known).
    static Refusal ofFile(const std::string& message, int number) {
        Refusal refusal(message);
        refusal.file = true;
        refusal.number = number;
        return refusal;
    }
    /// Several problems found at once (every unknown name of a request), one per line.
    static Refusal ofProblems(const std::vector<std::string>& problems);
    /// The library's message about reading `path`: a file refusal when the system will not let
    /// the file be read (it is missing, a folder, or unreadable), otherwise bad input.
    static Refusal aboutReading(const std::string& path, const std::string& message);

    bool isFile() const { return file; }
    /// The system's error number of a file refusal, as errno holds it.
    int errorNumber() const { return number; }

private:
    bool file = false;
    int number = 0;
};
