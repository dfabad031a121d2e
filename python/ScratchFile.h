#pragma once

#include <string>

/// A file of its own in the system's temporary folder, removed when the object goes: the
/// library reads and writes parameter files by path, and the module keeps their text in memory.
class ScratchFile {
public:
    /// An empty file; throws Refusal when the temporary folder takes no new file.
    ScratchFile();
    /// A file holding `text`.
    explicit ScratchFile(const std::string& text);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return location; }
    /// What the file holds now (after a writer has replaced it); throws Refusal when it cannot
    /// be read.
    std::string text() const;

private:
    std::string location;
};
