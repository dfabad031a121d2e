#include "app/TraceFigures.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "app/CsvReader.h"
#include "core/NumberText.h"

bool TraceFigures::read(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "Cannot open the trace \"" + path + "\".";
        return false;
    }
    CsvReader reader{
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())};
    std::vector<std::string> fields;
    reader.next(fields);  // the header
    evaluations = 0;
    while (reader.next(fields)) {
        if (fields.size() != 3) {
            error = path + " line " + std::to_string(reader.line()) + " is not a trace row.";
            return false;
        }
        const double cost = NumberText::toDouble(fields[1].c_str());
        if (evaluations == 0) {
            initialCost = cost;
        }
        bestCost = cost;
        ++evaluations;
    }
    if (!reader.error().empty() || evaluations == 0) {
        error = path + " holds no evaluations.";
        return false;
    }
    return true;
}
