#include "app/BatchHelp.h"

namespace {

struct CommandHelp {
    const char* name;
    const char* text;
};

const char* const readingOptions =
    "Reading options (info, evaluate, calibrate, convert):\n"
    "  --format NAME      reader: ana, juelich, eth, csv or trajnet (default: by extension)\n"
    "  --fps F            frame numbers per second of the recording (time = frame / F)\n"
    "  --unit m|cm|mm     length unit of the recording (default: as stated, else metres)\n"
    "  --stride K         keep every K-th frame\n"
    "  --from S, --to S   keep the time window from S to S seconds\n"
    "  --max-gap S        fill tracking gaps of at most S seconds (default 1); longer gaps\n"
    "                     start a new pedestrian\n"
    "  --obstacles FILE   add obstacle segments, one \"x1 y1 x2 y2\" per line\n";

const CommandHelp commands[] = {
    {"list",
     "vestra-batch list\n"
     "  Lists the models, metrics and calibration algorithms by their display names, each\n"
     "  with its parameters, their types and default values.\n"},
    {"info",
     "vestra-batch info FILE [reading options]\n"
     "  Describes an experiment file: pedestrians, obstacles, frames, duration, the most\n"
     "  pedestrians present at once and on average, and the reader's notes.\n"},
    {"evaluate",
     "vestra-batch evaluate FILE --model NAME --metric NAME [options] [reading options]\n"
     "  Runs the model once over the experiment and prints the metric's score (%.9g) as the\n"
     "  last line, as the desktop program's \"Evaluate\" does.\n"
     "  --model NAME            the crowd model (see list)\n"
     "  --metric NAME           the metric\n"
     "  --set \"Name=text\"       a model parameter (repeatable); the text must be wholly a\n"
     "                          value of the parameter's type\n"
     "  --metric-set \"Name=text\" a metric parameter (repeatable)\n"
     "  --load-params PRM       per-pedestrian parameter values from a parameter file\n"
     "  --jobs N                threads sharing each step of 2000 pedestrians or more\n"
     "                          (default 1, 0: one per core); the score is the same\n"},
    {"calibrate",
     "vestra-batch calibrate FILE --model NAME --metric NAME --algorithm NAME [options]\n"
     "                        [reading options]\n"
     "  Calibrates the model's per-pedestrian parameters and prints the progress and the\n"
     "  best-parameter report. SIGINT (Ctrl-C) or SIGTERM ends the run early with the best\n"
     "  values found, written like a finished run's (exit 130 or 143); a second Ctrl-C ends\n"
     "  it at once without writing anything.\n"
     "  --model, --metric, --set, --metric-set, --load-params   as for evaluate\n"
     "  --algorithm NAME           the calibration algorithm (see list)\n"
     "  --algorithm-set \"Name=text\" an algorithm parameter (repeatable)\n"
     "  --seed N                   seed of the random generator (default: the calendar time,\n"
     "                             printed on standard error)\n"
     "  --jobs N                   threads evaluating at once (default 1, 0: one per core);\n"
     "                             an algorithm that evaluates one run at a time shares each\n"
     "                             step of 2000 pedestrians or more among them instead\n"
     "  --save-params PRM          write the best values as a parameter file\n"
     "  --trace CSV                write evaluation,cost,best for every evaluation\n"},
    {"convert",
     "vestra-batch convert FILE [reading options] -o OUT.ana\n"
     "  Writes the experiment as an ANA file (with present_N keys for pedestrians who come\n"
     "  and go) that evaluates exactly as the source does.\n"},
    {"sweep",
     "vestra-batch sweep PLAN --out DIR [--jobs N]\n"
     "vestra-batch sweep PLAN --out DIR --row K [--jobs C]\n"
     "vestra-batch sweep PLAN --out DIR --slurm [--partition P] [--time HH:MM:SS]\n"
     "                   [--cpus-per-task C] [--max-running M] [--submit [--force]]\n"
     "  Runs the calibrations a CSV plan lists (columns experiment, model, metric,\n"
     "  algorithm, seed; optional options, set, metric_set, algorithm_set), N rows at a time,\n"
     "  writing each row's parameters, trace and result into DIR; finished rows are skipped.\n"
     "  SIGINT or SIGTERM goes on to the running rows, which keep what they found.\n"
     "  --row K runs one row; --slurm writes DIR/sweep.sbatch (sweep-1.sbatch, ... when the\n"
     "  cluster's MaxArraySize needs several), array jobs with one task per unfinished row,\n"
     "  at most M running at once; --submit submits them, unless jobs this folder submitted\n"
     "  before are still queued (--force submits anyway).\n"
     "  Exit status: 0 every row done, 1 some row failed or was stopped, 2 a bad plan or\n"
     "  row, 130 or 143 a sweep stopped by SIGINT or SIGTERM.\n"},
    {"collect",
     "vestra-batch collect DIR\n"
     "  Merges a sweep's rows into DIR/results.csv and prints the best cost per experiment,\n"
     "  model, metric, algorithm and settings with the mean and spread over seeds.\n"
     "  Exit status: 0 every row done, 1 rows failed, stopped or without a result, or\n"
     "  results.csv could not be written (the table is printed anyway).\n"},
    {"help",
     "vestra-batch help [COMMAND]\n"
     "  Prints the help of one command, or of every command.\n"},
};

}  // namespace

namespace BatchHelp {

std::string all() {
    std::string text =
        "vestra-batch: evaluates and calibrates crowd models against recorded experiments, "
        "without a display.\n\n";
    for (const CommandHelp& command : commands) {
        text += std::string(command.text) + "\n";
    }
    text += readingOptions;
    text +=
        "\nOther options: --help (this text), --version.\n"
        "Exit status: 0 success, 1 input that cannot be used, 2 usage error, 130 or 143 a\n"
        "calibration stopped by SIGINT or SIGTERM.\n";
    return text;
}

std::string of(const std::string& name) {
    for (const CommandHelp& command : commands) {
        if (name == command.name) {
            const bool reads =
                name == "info" || name == "evaluate" || name == "calibrate" || name == "convert";
            return std::string(command.text) + (reads ? std::string("\n") + readingOptions : "");
        }
    }
    return std::string();
}

std::string commandNames() {
    std::string names;
    for (const CommandHelp& command : commands) {
        names += (names.empty() ? "" : ", ") + std::string(command.name);
    }
    return names;
}

}  // namespace BatchHelp
