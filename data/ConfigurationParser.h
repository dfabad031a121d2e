#pragma once

#include <map>
#include <string>
#include <vector>

/// Reads a text file of named sections of whitespace-separated values: "#" starts a comment to
/// the end of the line, "%name" starts the section "name" (a repeated section keeps only its
/// last occurrence), every other token is a value of the current section.
class ConfigurationParser {
public:
    ConfigurationParser() = default;
    virtual ~ConfigurationParser() = default;

    /// Reads the file into the table. Returns false, with errorMessage() saying why, when the
    /// file cannot be opened or read; the table is then unchanged.
    bool load(const std::string& path);
    /// Reads text held in memory, as load reads a file.
    void loadText(const std::string& text);
    /// True when a section of exactly that name exists (it may be empty).
    bool has(const std::string& key) const;
    /// Number of values of a section; 0 for a missing one.
    int count(const std::string& key) const;
    /// Value `index` of section `key`, converted as atof does; not a number for a missing section
    /// or an index past its end.
    float value(const std::string& key, int index) const;
    /// The values of section `key` as they stand, joined by single blanks; empty for a missing
    /// or empty section.
    std::string words(const std::string& key) const;

    const std::string& errorMessage() const { return error; }

private:
    std::map<std::string, std::vector<std::string>> sections;
    std::string error;
};
