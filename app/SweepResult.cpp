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
// The fields of rows over a list or with a held-out recording, after the first seventeen.
const char* const listHeader =
    ",experiments,held_out,held_out_options,held_out_fitted,held_out_default,"
    "held_out_constant_velocity,paired_fitted,paired_default,paired_constant_velocity";
constexpr size_t listFieldCount = fieldCount + 9;

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
    {"experiments", &SweepPlanFields::experiments},
    {"held_out", &SweepPlanFields::heldOut},
    {"held_out_options", &SweepPlanFields::heldOutOptions},
};
// The plan fields every result has; the others only results with list fields.
constexpr size_t firstPlanFields = 9;

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

std::string scoreFields(const std::optional<HeldOutScores>& scores) {
    if (!scores) {
        return ",,,";
    }
    std::string text;
    for (const double score : {scores->fitted, scores->defaults, scores->constantVelocity}) {
        text += "," + NumberText::format("%.9g", score);
    }
    return text;
}

// Three scores from `first` on, or none when all three are empty; false for anything else.
bool readScores(const std::vector<std::string>& fields, size_t first,
                std::optional<HeldOutScores>& scores) {
    if (fields[first].empty() && fields[first + 1].empty() && fields[first + 2].empty()) {
        scores.reset();
        return true;
    }
    HeldOutScores read;
    if (!readNumber(fields[first], read.fitted) || !readNumber(fields[first + 1], read.defaults) ||
        !readNumber(fields[first + 2], read.constantVelocity)) {
        return false;
    }
    scores = read;
    return true;
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
    for (size_t i = 0; i < firstPlanFields; ++i) {
        line += "," + csvField(this->*planFields[i].text);
    }
    line += "," + status + "," + cost(*this, initialCost) + "," + cost(*this, bestCost) + "," +
            (hasFigures() ? std::to_string(evaluations) : std::string()) + "," +
            NumberText::format("%.3f", seconds) + "," + csvField(params) + "," + csvField(message);
    std::string names = header;
    if (hasListFields()) {
        names += listHeader;
        for (size_t i = firstPlanFields; i < std::size(planFields); ++i) {
            line += "," + csvField(this->*planFields[i].text);
        }
        line += scoreFields(heldOutScores) + scoreFields(heldOutPaired);
    }
    return AtomicFile::replaceWith(path, names + "\n" + line + "\n", error);
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
    } else if (!(joined(names) == header && fields.size() == fieldCount) &&
               !(joined(names) == header + std::string(listHeader) &&
                 fields.size() == listFieldCount)) {
        what = "not a row result (its header or field count differs)";
    } else if (takeFields(fields, what)) {
        return true;
    }
    error = path + ": " + what + ".";
    return false;
}

bool SweepResult::takeFields(const std::vector<std::string>& fields, std::string& what) {
    // An older result read into this one must not keep the fields it lacks.
    *this = SweepResult();
    if (!NumberText::isCompleteInt(fields[0]) || std::stoi(fields[0]) < 1) {
        what = "the row number \"" + fields[0] + "\" is not a whole number from 1";
        return false;
    }
    row = std::stoi(fields[0]);
    for (size_t i = 0; i < firstPlanFields; ++i) {
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
    return fields.size() == fieldCount || takeListFields(fields, what);
}

bool SweepResult::takeListFields(const std::vector<std::string>& fields, std::string& what) {
    for (size_t i = firstPlanFields; i < std::size(planFields); ++i) {
        this->*planFields[i].text = fields[fieldCount + i - firstPlanFields];
    }
    const size_t scoresAt = fieldCount + std::size(planFields) - firstPlanFields;
    if (!readScores(fields, scoresAt, heldOutScores) ||
        !readScores(fields, scoresAt + 3, heldOutPaired)) {
        what = "the held-out scores are not three numbers or three empty fields";
        return false;
    }
    return true;
}

bool SweepResult::recordFailure(const SweepRow& row, const std::string& folder,
                                const std::string& message, double seconds, std::string& error) {
    SweepResult result = of(row, "failed");
    result.message = message;
    result.seconds = seconds;
    return result.write(SweepFiles::ofRow(folder, row.number, ".result.csv"), error);
}
