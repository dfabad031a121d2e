#pragma once

#include <cstdio>
#include <string>

/// Writes a file so that the target is replaced only when everything was written: the text goes
/// to a temporary file in the target's folder, which commit() renames over the target. A failed
/// or abandoned write leaves the previous file as it was. A symbolic link is written through (its
/// target gets the content and the link stays), and a replaced file keeps its permission bits.
///
/// Only regular files are replaced. A target that is a device, a pipe or a socket (/dev/null,
/// a FIFO another program reads) is never renamed over: the text is kept aside and written
/// straight into it by commit(). A target that is a folder is refused at once.
class AtomicFile {
public:
    explicit AtomicFile(std::string targetPath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// The stream to write to, or null when the temporary file could not be created.
    std::FILE* stream() const { return file; }
    /// Flushes and closes what was written, so that only the replacement is left to do. False,
    /// with errorMessage() saying why, when any write failed (a full disk). Several outputs of
    /// one run finish first and commit after, so that either all of them or none are replaced.
    bool finish();
    /// Finishes if not done yet, then replaces the target (or writes into a special file). False,
    /// with errorMessage() saying why, when any step failed; the target is then as it was.
    bool commit();
    /// Writes `text` and finishes; false, with errorMessage(), as finish().
    bool finishWith(const std::string& text);
    /// Writes `text` to `path` and replaces it, all or nothing; false, with `error`.
    static bool replaceWith(const std::string& path, const std::string& text, std::string& error);
    const std::string& errorMessage() const { return error; }
    /// The path this file was made for, as given.
    const std::string& path() const { return target; }
    /// True when commit() writes into a special file rather than renaming: the one step of a
    /// commit that can still fail for want of space, so such outputs are committed first.
    bool writesIntoSpecialFile() const { return aside != nullptr; }

    /// True when a save to `path` can succeed as far as can be told before writing: the target
    /// is not a folder, and its folder exists and takes new files (or the special file it names
    /// takes writes). False, with `error` naming the path and why; a program checks its outputs
    /// with it before hours of work that could not be saved.
    static bool canWrite(const std::string& path, std::string& error);

private:
    void discard();
    bool fail(const std::string& verb, int number);
    bool writeIntoSpecialFile();

    std::string target;
    std::string destination;  ///< the target with symbolic links followed
    std::string temporary;    ///< the file renamed over a regular target
    std::FILE* file = nullptr;
    /// The text for a special file, kept in an anonymous temporary file until commit().
    std::FILE* aside = nullptr;
    bool finished = false;
    std::string error;
};
