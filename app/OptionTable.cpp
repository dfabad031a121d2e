#include "app/OptionTable.h"

#include "app/CommandLine.h"
#include "app/OptionValues.h"
#include "data/RecordingLimits.h"
#include "data/TrackFile.h"

namespace {

using Line = CommandLine;
using Text = std::string;

constexpr CommandSet runs = Command::evaluate | Command::calibrate;
// What a cross-validation calibrates and scores, as calibrate names it.
constexpr CommandSet folds = runs | Command::crossval;
constexpr CommandSet models = folds | Command::simulate | Command::analyse;
constexpr CommandSet calibrations = Command::calibrate | Command::crossval;
constexpr CommandSet reads = OptionTable::readingCommands;

// For options whose every value is usable: names, paths.
bool keep(std::string& field, const std::string& value) {
    field = value;
    return true;
}

bool setFlag(bool& flag) {
    flag = true;
    return true;
}

const char* const wholeFromOne = "a whole number of at least 1";
const char* const threads = "a whole number of threads (0: one per core)";
const char* const settingForm = "\"Parameter name=text\"";

// What evaluate, calibrate and crossval run.
std::vector<OptionTable::Option> runOptions() {
    return {
        {"--model", "NAME", "the crowd model (see list)", models, "",
         [](Line& l, const Text& v) { return keep(l.run.model, v); }},
        {"--metric", "NAME", "the metric", folds, "",
         [](Line& l, const Text& v) { return keep(l.run.metric, v); }},
        {"--set", "\"Name=text\"",
         "a model parameter (repeatable); the text must be wholly a\n"
         "value of the parameter's type",
         models, settingForm,
         [](Line& l, const Text& v) { return OptionValues::setting(v, l.run.modelSettings); }},
        {"--metric-set", "\"Name=text\"", "a metric parameter (repeatable)", folds, settingForm,
         [](Line& l, const Text& v) { return OptionValues::setting(v, l.run.metricSettings); }},
        {"--experiments", "LIST.csv",
         "the recordings, a CSV list with the columns experiment and\n"
         "options (reading options of each file), in place of FILE ...",
         runs, "", [](Line& l, const Text& v) { return keep(l.run.experimentList, v); }},
        {"--load-params", "PRM",
         "parameter values from a parameter file: per pedestrian of\n"
         "this recording, or shared by all (loads onto any recording)",
         runs | Command::simulate | Command::analyse, "",
         [](Line& l, const Text& v) { return keep(l.run.loadParams, v); }},
        {"--jobs", "N",
         "threads sharing each step of 2000 pedestrians or more\n"
         "(default 1, 0: one per core); the score is the same",
         Command::evaluate, threads,
         [](Line& l, const Text& v) { return OptionValues::wholeNumber(v, 0, l.run.jobs); }},
    };
}

// How calibrate and crossval search, and where convert and calibrate write.
std::vector<OptionTable::Option> calibrationOptions() {
    return {
        {"--algorithm", "NAME", "the calibration algorithm (see list)", calibrations, "",
         [](Line& l, const Text& v) { return keep(l.run.algorithm, v); }},
        {"--algorithm-set", "\"Name=text\"", "an algorithm parameter (repeatable)", calibrations,
         settingForm,
         [](Line& l, const Text& v) { return OptionValues::setting(v, l.run.algorithmSettings); }},
        {"--seed", "N",
         "seed of the random generator (default: the calendar time,\n"
         "printed on standard error)",
         Command::calibrate, "a whole number from 0 to 4294967295",
         [](Line& l, const Text& v) { return OptionValues::seed(v, l.run.seed); }},
        {"--jobs", "N",
         "threads evaluating at once (default 1, 0: one per core);\n"
         "an algorithm that evaluates one run at a time shares each\n"
         "step of 2000 pedestrians or more among them instead",
         Command::calibrate, threads,
         [](Line& l, const Text& v) { return OptionValues::wholeNumber(v, 0, l.run.jobs); }},
        {"--scope", "S",
         "pedestrian (default): one value of each parameter per\n"
         "pedestrian; shared: one value for all pedestrians of every\n"
         "recording given (crossval: shared only)",
         calibrations, "pedestrian or shared",
         [](Line& l, const Text& v) { return ParameterScopeText::parse(v, l.run.scope); }},
        {"--seed", "N", "seed of every fold's calibration (default 1)", Command::crossval,
         "a whole number from 0 to 4294967295",
         [](Line& l, const Text& v) { return OptionValues::seed(v, l.run.seed); }},
        {"--save-params", "PRM", "write the best values as a parameter file", Command::calibrate,
         "", [](Line& l, const Text& v) { return keep(l.run.saveParams, v); }},
        {"--save-distributions", "TXT",
         "write each parameter's calibrated values as the distribution\n"
         "text --set takes, one Name=text line each (scope pedestrian)",
         Command::calibrate, "",
         [](Line& l, const Text& v) { return keep(l.run.saveDistributions, v); }},
        {"--trace", "CSV", "write evaluation,cost,best for every evaluation", Command::calibrate,
         "", [](Line& l, const Text& v) { return keep(l.run.trace, v); }},
        {"-o", "OUT.ana", "the ANA file to write", Command::convert, "",
         [](Line& l, const Text& v) { return keep(l.output, v); }},
        {"-o", "OUT", "the trajectory file to write (.txt, .csv or .ndjson)", Command::simulate, "",
         [](Line& l, const Text& v) { return keep(l.output, v); }},
        {"--output-format", "F", "txt, csv or ndjson (default: by the extension of OUT)",
         Command::simulate, "txt, csv or ndjson",
         [](Line& l, const Text& v) {
             TrackFile::Format format;
             return TrackFile::formatNamed(v, format) && keep(l.outputFormat, v);
         }},
        {"--measured", nullptr, "write the measured trajectories instead of the simulated",
         Command::simulate, "", [](Line& l, const Text&) { return setFlag(l.measured); }},
        {"--seed", "N", "seed of the random generator before the run (default: none)",
         Command::simulate | Command::analyse, "a whole number from 0 to 4294967295",
         [](Line& l, const Text& v) { return OptionValues::seed(v, l.run.seed); }},
    };
}

// Where and how analyse measures.
std::vector<OptionTable::Option> analysisOptions() {
    constexpr Command analyse = Command::analyse;
    return {
        {"--area", "POLYGON", "the measurement area: \"x1 y1 x2 y2 x3 y3 ...\" in metres", analyse,
         "", [](Line& l, const Text& v) { return keep(l.analysis.area, v); }},
        {"--line", "LINE", "the line \"x1 y1 x2 y2\" whose crossings give the flow", analyse, "",
         [](Line& l, const Text& v) { return keep(l.analysis.line, v); }},
        {"--walkable", "POLYGON",
         "the polygon bounding the Voronoi cells (default: the box of\n"
         "every sample grown by 1 m)",
         analyse, "", [](Line& l, const Text& v) { return keep(l.analysis.walkable, v); }},
        {"--speed-frames", "K", "frames on each side of an individual speed (default 5)", analyse,
         wholeFromOne,
         [](Line& l, const Text& v) {
             return OptionValues::wholeNumber(v, 1, l.analysis.speedFrames);
         }},
        {"--cutoff", "R", "limit each Voronoi cell to R metres around its pedestrian", analyse,
         "a number of at least 0",
         [](Line& l, const Text& v) {
             return OptionValues::numberOfAtLeast(v, 0.0, l.analysis.cutoff);
         }},
        {"--cutoff-sides", "N", "sides of the polygon standing for that disk (default 12)", analyse,
         "a whole number of at least 3",
         [](Line& l, const Text& v) {
             return OptionValues::wholeNumber(v, 3, l.analysis.cutoffSides);
         }},
        {"-o", "DIR", "the folder of the results, replaced all or nothing", analyse, "",
         [](Line& l, const Text& v) { return keep(l.analysis.folder, v); }},
    };
}

std::vector<OptionTable::Option> readingOptions() {
    return {
        {"--format", "NAME", "reader: ana, juelich, eth, csv or trajnet (default: by extension)",
         reads, "",
         [](Line& l, const Text& v) { return keep(l.run.experiment.reading.format, v); }},
        {"--fps", "F", "frame numbers per second of the recording (time = frame / F)", reads,
         std::string("a number from ") + RecordingLimits::frameRateText,
         [](Line& l, const Text& v) {
             return OptionValues::frameRate(v, l.run.experiment.reading.framesPerSecond);
         }},
        {"--unit", "m|cm|mm", "length unit of the recording (default: as stated, else metres)",
         reads, "m, cm or mm",
         [](Line& l, const Text& v) {
             return OptionValues::lengthUnit(v, l.run.experiment.reading.metresPerUnit);
         }},
        {"--stride", "K", "keep every K-th frame", reads, wholeFromOne,
         [](Line& l, const Text& v) {
             return OptionValues::wholeNumber(v, 1, l.run.experiment.reading.stride);
         }},
        {"--from", "S", "keep the time window from S to S seconds", reads, "a time in seconds",
         [](Line& l, const Text& v) {
             return OptionValues::number(v, l.run.experiment.reading.from);
         }},
        {"--to", "S", nullptr, reads, "a time in seconds",
         [](Line& l, const Text& v) {
             return OptionValues::number(v, l.run.experiment.reading.to);
         }},
        {"--max-gap", "S",
         "fill tracking gaps of at most S seconds (default 1); longer gaps\n"
         "start a new pedestrian",
         reads, "a number of at least 0",
         [](Line& l, const Text& v) {
             return OptionValues::numberOfAtLeast(v, 0.0, l.run.experiment.reading.maxGap);
         }},
        {"--obstacles", "FILE", "add obstacle segments, one \"x1 y1 x2 y2\" per line", reads, "",
         [](Line& l, const Text& v) { return keep(l.run.experiment.reading.obstacles, v); }},
    };
}

// Where a sweep runs its rows, and how; a cross-validation runs its folds as a sweep's rows.
std::vector<OptionTable::Option> sweepOptions() {
    constexpr CommandSet ofFolds = Command::sweep | Command::crossval;
    return {
        {"--out", "DIR", "the folder of the sweep's results, made if missing", ofFolds, "",
         [](Line& l, const Text& v) { return keep(l.sweep.out, v); }},
        {"--jobs", "N",
         "rows that run at once (default 1, 0: one per core); with --row, the\n"
         "threads of that row's calibration",
         Command::sweep, "a whole number of at least 0",
         [](Line& l, const Text& v) { return OptionValues::wholeNumber(v, 0, l.sweep.jobs); }},
        {"--jobs", "N", "folds that run at once (default 1, 0: one per core)", Command::crossval,
         "a whole number of at least 0",
         [](Line& l, const Text& v) { return OptionValues::wholeNumber(v, 0, l.sweep.jobs); }},
        {"--row", "K", "run row K only, in this process", Command::sweep, wholeFromOne,
         [](Line& l, const Text& v) { return OptionValues::wholeNumber(v, 1, l.sweep.row); }},
        {"--slurm", nullptr, "write a Slurm array job of one task per unfinished row", ofFolds, "",
         [](Line& l, const Text&) { return setFlag(l.sweep.slurm); }},
        {"--partition", "P", "the partition of the job", ofFolds, "a partition name",
         [](Line& l, const Text& v) {
             // The name goes into the job script, so it may not carry anything else.
             return OptionValues::matching(v, "[A-Za-z0-9_.,-]+", l.sweep.partition);
         }},
        {"--time", "T", "the time limit of each task", ofFolds,
         "a time limit such as 02:00:00 or 1-12:00:00",
         [](Line& l, const Text& v) {
             return OptionValues::matching(v, "([0-9]+-)?[0-9]+(:[0-9]+){0,2}", l.sweep.time);
         }},
        {"--cpus-per-task", "C", "the CPUs of each task, also the threads of its calibration",
         ofFolds, wholeFromOne,
         [](Line& l, const Text& v) {
             return OptionValues::wholeNumber(v, 1, l.sweep.cpusPerTask);
         }},
        {"--max-running", "M", "at most M tasks of an array run at once", ofFolds, wholeFromOne,
         [](Line& l, const Text& v) {
             return OptionValues::wholeNumber(v, 1, l.sweep.maxRunning);
         }},
        {"--submit", nullptr, "submit the jobs with sbatch", ofFolds, "",
         [](Line& l, const Text&) { return setFlag(l.sweep.submit); }},
        {"--force", nullptr, "submit although a job of the folder is still queued", ofFolds, "",
         [](Line& l, const Text&) { return setFlag(l.sweep.force); }},
    };
}

std::vector<OptionTable::Option> declare() {
    std::vector<OptionTable::Option> table = runOptions();
    for (const auto& group :
         {calibrationOptions(), analysisOptions(), readingOptions(), sweepOptions()}) {
        table.insert(table.end(), group.begin(), group.end());
    }
    return table;
}

}  // namespace

std::string OptionTable::Option::label() const {
    return isFlag() ? std::string(name) : std::string(name) + " " + argument;
}

const std::vector<OptionTable::Option>& OptionTable::options() {
    static const std::vector<Option> table = declare();
    return table;
}

const OptionTable::Option* OptionTable::find(const std::string& name, Command command) {
    for (const Option& option : options()) {
        if (name == option.name && option.commands.has(command)) {
            return &option;
        }
    }
    return nullptr;
}
