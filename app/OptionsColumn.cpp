#include "app/OptionsColumn.h"

#include "app/CommandLine.h"
#include "app/CommandLineParser.h"
#include "app/OptionTable.h"

namespace {

const char* const scopeOption = "--scope";

std::string refusal(const std::string& word, bool takesScope) {
    std::string names;
    for (const OptionTable::Option& option : OptionTable::options()) {
        if (OptionTable::isReading(option)) {
            names += (names.empty() ? "" : " ") + std::string(option.name);
        }
    }
    // Messages have always shown the word up to a quote in it.
    return "the options column takes only reading options (" + names + ")" +
           (takesScope ? std::string(" and ") + scopeOption : std::string()) + ", not \"" +
           word.substr(0, word.find('"')) + "\".";
}

}  // namespace

namespace OptionsColumn {

bool split(const std::string& text, std::vector<std::string>& words, std::string& error) {
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (const char c : text) {
        if (quote) {
            if (c == quote) {
                quote = 0;
            } else {
                word += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote) {
        error = std::string("the options have an unclosed ") + quote;
        return false;
    }
    if (inWord) {
        words.push_back(word);
    }
    return true;
}

std::string resolved(const std::filesystem::path& folder, const std::string& path) {
    const std::filesystem::path given(path);
    return given.is_absolute() ? path : (folder / given).string();
}

void resolveObstacles(const std::filesystem::path& folder, std::vector<std::string>& words) {
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "--obstacles") {
            words[i + 1] = resolved(folder, words[i + 1]);
        }
    }
}

std::string read(const std::vector<std::string>& words, ReadingOptions& reading,
                 ParameterScope* scope) {
    // Parsed as the command that takes them, then held to the options a column may give.
    const Command command = scope ? Command::calibrate : Command::info;
    CommandLine line;
    std::string error;
    std::string unknown;
    if (!CommandLineParser::parseOptions(command, words, 0, line, error, &unknown)) {
        return unknown.empty() ? error : refusal(unknown, scope != nullptr);
    }
    for (const std::string& given : line.given) {
        const OptionTable::Option* option = OptionTable::find(given, command);
        if (!(option && OptionTable::isReading(*option)) && given != scopeOption) {
            return refusal(given, scope != nullptr);
        }
    }
    if (!CommandLineParser::checkWindow(line.run.experiment.reading, error)) {
        return error;
    }
    reading = line.run.experiment.reading;
    if (scope) {
        *scope = line.run.scope;
    }
    return std::string();
}

}  // namespace OptionsColumn
