#include "app/SweepResult.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/CsvReader.h"
#include "app/SweepFiles.h"
#include "app/SweepPlan.h"
#include "core/AtomicFile.h"
#include "core/NumberText.h"

namespace {

const char* const header =
    "row,experiment,model,metric,algorithm,seed,options,set,metric_set,algorithm_set,status,"
    "initial_cost,best_cost,evaluations,seconds,params,message";
constexpr size_t fieldCount = 17;

struct PlanField {
    const char* name;
    std::string SweepPlanFields::*text;
};

const PlanField planFields[] = {
    {"experiment", &SweepPlanFields::experiment},
    {"model", &SweepPlanFields::model},
    {"metric", &SweepPlanFields::metric},
    {"algorithm", &SweepPlanFields::algorithm},
    {"seed", &SweepPlanFields::seed},
    {"options", &SweepPlanFields::options},
    {"set", &SweepPlanFields::set},
    {"metric_set", &SweepPlanFields::metricSet},
    {"algorithm_set", &SweepPlanFields::algorithmSet},
};

std::string cost(const SweepResult& result, double value) {
    return result.hasFigures() ? NumberText::format("%.9g", value) : std::string();
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        text += (i ? "," : "") + names[i];
    }
    return text;
}

bool readNumber(const std::string& text, double& value) {
    const char* end = nullptr;
    value = NumberText::toDouble(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

}  // namespace

SweepResult SweepResult::of(const SweepRow& row, const std::string& status) {
    SweepResult result;
    result.row = row.number;
    static_cast<SweepPlanFields&>(result) = row;
    result.status = status;
    return result;
}

std::string SweepResult::settings() const {
    std::string text;
    for (const auto& [label, value] :
         {std::pair{"", &options}, std::pair{"model: ", &set}, std::pair{"metric: ", &metricSet},
          std::pair{"algorithm: ", &algorithmSet}}) {
        if (!value->empty()) {
            text += (text.empty() ? "" : " | ") + std::string(label) + *value;
        }
    }
    return text;
}

bool SweepResult::isRunOf(const SweepRow& plan) const {
    return row == plan.number && differenceFrom(plan).empty();
}

std::string SweepResult::differenceFrom(const SweepRow& plan) const {
    for (const PlanField& field : planFields) {
        if (this->*field.text != plan.*field.text) {
            return std::string(field.name) + " \"" + this->*field.text + "\", not \"" +
                   plan.*field.text + "\"";
        }
    }
    return std::string();
}

bool SweepResult::write(const std::string& path, std::string& error) const {
    std::string line = std::to_string(row);
    for (const PlanField& field : planFields) {
        line += "," + csvField(this->*field.text);
    }
    line += "," + status + "," + cost(*this, initialCost) + "," + cost(*this, bestCost) + "," +
            (hasFigures() ? std::to_string(evaluations) : std::string()) + "," +
            NumberText::format("%.3f", seconds) + "," + csvField(params) + "," + csvField(message);
    AtomicFile file(path);
    if (std::FILE* f = file.stream()) {
        std::fputs((std::string(header) + "\n" + line + "\n").c_str(), f);
    }
    if (!file.commit()) {
        error = file.errorMessage();
        return false;
    }
    return true;
}

bool SweepResult::read(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "Cannot open \"" + path + "\".";
        return false;
    }
    // A result is one short line; more than this is not a result file.
    constexpr std::streamsize largestResultBytes = 1 << 20;
    std::string content(largestResultBytes + 1, '\0');
    file.read(content.data(), largestResultBytes + 1);
    content.resize(static_cast<size_t>(file.gcount()));
    if (static_cast<std::streamsize>(content.size()) > largestResultBytes) {
        error = path + " is too large for a row result.";
        return false;
    }
    CsvReader reader(std::move(content));
    std::vector<std::string> names;
    std::vector<std::string> fields;
    const bool complete = reader.next(names) && reader.next(fields);
    std::string what;
    if (!complete || !reader.error().empty()) {
        what = reader.error().empty() ? "not a row result" : reader.error();
    } else if (joined(names) != header || fields.size() != fieldCount) {
        what = "not a row result (its header or field count differs)";
    } else if (takeFields(fields, what)) {
        return true;
    }
    error = path + ": " + what + ".";
    return false;
}

bool SweepResult::takeFields(const std::vector<std::string>& fields, std::string& what) {
    if (!NumberText::isCompleteInt(fields[0]) || std::stoi(fields[0]) < 1) {
        what = "the row number \"" + fields[0] + "\" is not a whole number from 1";
        return false;
    }
    row = std::stoi(fields[0]);
    for (size_t i = 0; i < std::size(planFields); ++i) {
        this->*planFields[i].text = fields[1 + i];
    }
    status = fields[10];
    if (status != "done" && status != "failed" && status != "cancelled") {
        what = "the status \"" + status + "\" is none of done, failed, cancelled";
        return false;
    }
    // A cancelled row holds what it found, or nothing when it was stopped before its first
    // evaluation ended.
    double count = 0.0;
    const bool figures = status == "done" || !fields[13].empty();
    if (figures && (!readNumber(fields[11], initialCost) || !readNumber(fields[12], bestCost) ||
                    !readNumber(fields[13], count) || count < 0.0 || count != std::floor(count))) {
        what = "a " + status + " row with figures needs its costs and its number of evaluations";
        return false;
    }
    evaluations = static_cast<long long>(count);
    if (!readNumber(fields[14], seconds)) {
        what = "the seconds \"" + fields[14] + "\" are not a number";
        return false;
    }
    params = fields[15];
    message = fields[16];
    return true;
}

bool SweepResult::recordFailure(const SweepRow& row, const std::string& folder,
                                const std::string& message, double seconds, std::string& error) {
    SweepResult result = of(row, "failed");
    result.message = message;
    result.seconds = seconds;
    return result.write(SweepFiles::ofRow(folder, row.number, ".result.csv"), error);
}
