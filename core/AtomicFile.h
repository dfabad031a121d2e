#pragma once

#include <cstdio>
#include <string>

/// Writes a file so that the target is replaced only when everything was written: the text goes
/// to a temporary file in the target's folder, which commit() renames over the target. A failed
/// or abandoned write leaves the previous file as it was. A symbolic link is written through (its
/// target gets the content and the link stays), and a replaced file keeps its permission bits.
class AtomicFile {
public:
    explicit AtomicFile(std::string targetPath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// The stream to write to, or null when the temporary file could not be created.
    std::FILE* stream() const { return file; }
    /// Flushes, closes and renames the temporary file over the target. False, with
    /// errorMessage() saying why, when any step (or any earlier write) failed.
    bool commit();
    const std::string& errorMessage() const { return error; }

private:
    void discard();

    std::string target;
    std::string destination;  ///< the target with symbolic links followed
    std::string temporary;
    std::FILE* file = nullptr;
    std::string error;
};
