#include "data/ParserCsv.h"

#include <algorithm>
#include <cctype>

namespace {

const char* const columnNames[] = {"id", "frame", "x", "y"};

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

/// The offset and length of an id's text packed into one number while rows are read.
std::int64_t packText(const std::string& text, std::string_view field) {
    const auto offset = static_cast<std::uint64_t>(field.data() - text.data());
    return static_cast<std::int64_t>((offset << 32) | field.size());
}

std::string_view unpackText(const std::string& text, std::int64_t packed) {
    const auto bits = static_cast<std::uint64_t>(packed);
    return std::string_view(text).substr(bits >> 32, bits & 0xFFFFFFFFu);
}

}  // namespace

bool ParserCsv::split(std::string_view line, std::uint32_t number, size_t keep, size_t& count) {
    fields.clear();
    count = 0;
    size_t pos = 0;
    for (;;) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
            ++pos;
        }
        std::string_view field;
        if (pos < line.size() && line[pos] == '"') {
            const size_t start = ++pos;
            for (; pos < line.size(); ++pos) {
                if (line[pos] == '"') {
                    if (pos + 1 < line.size() && line[pos + 1] == '"') {
                        ++pos;
                        continue;
                    }
                    break;
                }
            }
            if (pos >= line.size()) {
                return failAt(number, "the quote that opens field " + std::to_string(count + 1) +
                                          " is not closed on this line.");
            }
            field = trim(line.substr(start, pos - start));
            ++pos;
            while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
                ++pos;
            }
            if (pos < line.size() && line[pos] != ',') {
                return failAt(number, "field " + std::to_string(count + 1) +
                                          " has text after its closing quote.");
            }
        } else {
            const size_t comma = std::min(line.find(',', pos), line.size());
            field = trim(line.substr(pos, comma - pos));
            pos = comma;
        }
        if (count < keep) {
            fields.push_back(field);
        }
        ++count;
        if (pos >= line.size()) {
            return true;
        }
        ++pos;  // the comma
    }
}

bool ParserCsv::readHeader(std::uint32_t line, CommentStatements& comments, bool& seconds) {
    const size_t none = fields.size();
    size_t found[COLUMNS] = {none, none, none, none};
    size_t time = none;
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::string name = lowerCase(fields[i]);
        const size_t mark = name.find_first_of("/[(");
        const std::string base(trim(std::string_view(name).substr(0, mark)));
        size_t* slot = base == "t" ? &time : nullptr;
        for (int c = 0; c < COLUMNS && !slot; ++c) {
            slot = base == columnNames[c] ? &found[c] : nullptr;
        }
        if (!slot) {
            continue;
        }
        if (*slot != none) {
            return failAt(line, "the header names the column \"" + base + "\" twice (columns " +
                                    std::to_string(*slot + 1) + " and " + std::to_string(i + 1) +
                                    ").");
        }
        *slot = i;
        if ((base == "x" || base == "y") && mark != std::string::npos) {
            comments.read(name, line);
        }
    }
    seconds = found[STAMP] == none && time != none;
    if (seconds) {
        found[STAMP] = time;
    }
    std::string missing;
    for (int c = 0; c < COLUMNS; ++c) {
        if (found[c] == none) {
            missing += std::string(missing.empty() ? "" : ", ") + "\"" + columnNames[c] + "\"" +
                       (c == STAMP ? " (or \"t\")" : "");
        }
        column[c] = found[c];
        widest = std::max(widest, found[c] + 1);
    }
    if (!missing.empty()) {
        return failAt(line, "the header row does not name the column " + missing +
                                "; a CSV recording needs id, frame (or t), x and y.");
    }
    return true;
}

void ParserCsv::numberIds(const std::string& text, std::vector<TrajectoryRow>& rows) {
    bool numeric = true;
    for (const TrajectoryRow& row : rows) {
        double value = 0.0;
        numeric = numeric && parseWhole(unpackText(text, row.id), value);
    }
    if (numeric) {
        for (TrajectoryRow& row : rows) {
            double value = 0.0;
            parseWhole(unpackText(text, row.id), value);
            row.id = static_cast<std::int64_t>(value);
        }
        return;
    }
    std::sort(rows.begin(), rows.end(), [&](const TrajectoryRow& a, const TrajectoryRow& b) {
        return unpackText(text, a.id) < unpackText(text, b.id);
    });
    size_t distinct = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        distinct += i == 0 || unpackText(text, rows[i].id) != unpackText(text, rows[i - 1].id);
    }
    idTexts.clear();
    idTexts.reserve(distinct);
    for (TrajectoryRow& row : rows) {
        const std::string_view id = unpackText(text, row.id);
        if (idTexts.empty() || idTexts.back() != id) {
            idTexts.push_back(id);
        }
        row.id = static_cast<std::int64_t>(idTexts.size() - 1);
    }
    keepText = true;
}

bool ParserCsv::readRows(const std::string& text, std::vector<TrajectoryRow>& rows,
                         RecordingFacts& facts) {
    const size_t lines = countDataLines(text);
    rows.reserve(lines > 0 ? lines - 1 : 0);
    idTexts.clear();
    widest = 0;
    CommentStatements comments;
    bool header = false;
    bool seconds = false;
    const bool complete =
        forEachDataLine(text, comments, [&](std::string_view content, std::uint32_t line) {
            size_t count = 0;
            if (!header) {
                header = true;
                return split(content, line, static_cast<size_t>(-1), count) &&
                       readHeader(line, comments, seconds);
            }
            if (!split(content, line, widest, count)) {
                return false;
            }
            if (count < widest) {
                return failAt(line,
                              std::to_string(count) + (count == 1 ? " field" : " fields") +
                                  ", but the header puts the columns id, frame, x and y within "
                                  "the first " +
                                  std::to_string(widest) + ".");
            }
            TrajectoryRow row;
            double x = 0.0, y = 0.0;
            const std::string_view id = fields[column[ID]];
            if (id.empty()) {
                return failAt(line, "the id is empty.");
            }
            if (!(seconds ? readReal(fields[column[STAMP]], "time", line, row.stamp)
                          : readWhole(fields[column[STAMP]], "frame", line, row.stamp)) ||
                !readReal(fields[column[X]], "x", line, x) ||
                !readReal(fields[column[Y]], "y", line, y)) {
                return false;
            }
            row.id = packText(text, id);
            row.x = static_cast<float>(x);
            row.y = static_cast<float>(y);
            row.line = line;
            rows.push_back(row);
            return true;
        });
    if (!complete) {
        return false;
    }
    if (!header) {
        return fail("The file has no header row naming the columns id, frame (or t), x and y.");
    }
    numberIds(text, rows);
    if (keepText) {
        facts.idName = [this](std::int64_t rank) {
            return "\"" + std::string(idTexts[static_cast<size_t>(rank)]) + "\"";
        };
    }
    facts.stampsAreSeconds = seconds;
    return takeStatements(comments, facts);
}
