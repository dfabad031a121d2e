#pragma once

#include <string>
#include <vector>

#include "core/ComponentKind.h"

class Parser;

/// The registered experiment readers in registration order, each named by its file-name
/// extension and by its format name, so that a file is read by the reader of its extension or
/// of the format asked for.
class ParserRegistry {
public:
    /// Appends a factory of parser T, named by its file extension; its format name goes to
    /// parserFormats at the same index.
    template <class T>
    void addParser() {
        const T parser;
        parsers.add<T>(parser.extension());
        parserFormats.push_back(parser.formatName());
    }

    /// Index of the parser with this format name ("ana", "csv", ...), or -1.
    int parserIndexForFormat(const std::string& format) const {
        for (size_t i = 0; i < parserFormats.size(); ++i) {
            if (parserFormats[i] == format) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    /// Index of the parser that reads the file at `path`, chosen by the file name's own
    /// extension (the text after its last dot), or -1 when no parser reads it. Several parsers
    /// may share an extension; the first registered one is chosen.
    int parserIndexForPath(const std::string& path) const {
        const size_t slash = path.find_last_of('/');
        const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
        const size_t dot = path.find_last_of('.');
        if (dot == std::string::npos || dot < nameStart) {
            return -1;
        }
        return parsers.indexOf(path.substr(dot + 1));
    }

    ComponentKind<Parser> parsers;           ///< named by their file-name extensions
    std::vector<std::string> parserFormats;  ///< format name of each parser, as in parsers
};
