#include "app/CommandCatalog.h"

#include <cassert>

#include "app/CommandLine.h"

namespace {

using Line = CommandLine;
using Text = std::string;

const char* const anExperimentFile = "an experiment file";

void experimentFile(Line& line, const Text& file) {
    line.run.experiment.file = file;
}

const std::vector<CommandCatalog::Entry> entries = {
    {Command::list, "list", nullptr, nullptr,
     "vestra-batch list\n"
     "  Lists the models, metrics and calibration algorithms by their display names, each\n"
     "  with its parameters, their types and default values.\n",
     0, nullptr},
    {Command::info, "info", anExperimentFile, experimentFile,
     "vestra-batch info FILE [reading options]\n"
     "  Describes an experiment file: pedestrians, obstacles, frames, duration, the most\n"
     "  pedestrians present at once and on average, and the reader's notes.\n",
     0, nullptr},
    {Command::evaluate, "evaluate", anExperimentFile, experimentFile,
     "vestra-batch evaluate FILE [FILE ...] --model NAME --metric NAME [options]\n"
     "                       [reading options]\n"
     "  Runs the model once over the experiment and prints the metric's score (%.9g) as the\n"
     "  last line, as the desktop program's \"Evaluate\" does; with several recordings (or\n"
     "  --experiments LIST.csv), each one's score and file, then their mean as the last line.\n",
     23, nullptr},
    {Command::calibrate, "calibrate", anExperimentFile, experimentFile,
     "vestra-batch calibrate FILE [FILE ...] --model NAME --metric NAME --algorithm NAME\n"
     "                        [options] [reading options]\n"
     "  Calibrates the model's parameters, one value per pedestrian of one recording or, with\n"
     "  --scope shared, one for all pedestrians of one or several recordings (their mean\n"
     "  score), and prints the progress and the best-parameter report. SIGINT (Ctrl-C) or\n"
     "  SIGTERM ends the run early with the best values found, written like a finished\n"
     "  run's (exit 130 or 143); a second Ctrl-C ends it at once without writing anything.\n",
     26, "evaluate"},
    {Command::convert, "convert", anExperimentFile, experimentFile,
     "vestra-batch convert FILE [reading options] -o OUT.ana\n"
     "  Writes the experiment as an ANA file (with present_N keys for pedestrians who come\n"
     "  and go) that evaluates exactly as the source does.\n",
     0, nullptr},
    {Command::sweep, "sweep", "a plan file",
     [](Line& line, const Text& plan) { line.sweep.plan = plan; },
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
     "  row, 130 or 143 a sweep stopped by SIGINT or SIGTERM.\n",
     0, nullptr},
    {Command::collect, "collect", "the folder of a sweep",
     [](Line& line, const Text& folder) { line.sweep.out = folder; },
     "vestra-batch collect DIR\n"
     "  Merges a sweep's rows into DIR/results.csv and prints the best cost per experiment,\n"
     "  model, metric, algorithm and settings with the mean and spread over seeds.\n"
     "  Exit status: 0 every row done, 1 rows failed, stopped or without a result, or\n"
     "  results.csv could not be written (the table is printed anyway).\n",
     0, nullptr},
    {Command::crossval, "crossval", "a list of recordings",
     [](Line& line, const Text& list) { line.run.experimentList = list; },
     "vestra-batch crossval LIST.csv --model NAME --metric NAME --algorithm NAME --out DIR\n"
     "                       [--scope shared] [--seed N] [--jobs N | --slurm [--submit]]\n"
     "  Leave-one-out: for each recording of the list (columns experiment, options), calibrates\n"
     "  shared values on all the others, then scores the held-out recording with them, with\n"
     "  the model's defaults and with \"Constant Velocity\" (by \"Average Displacement Error\"\n"
     "  also by \"Final Displacement Error\"). The folds are the rows of a sweep in DIR\n"
     "  (DIR/crossval-plan.csv, fold-K.train.csv), run, resumed and sent to Slurm as sweep\n"
     "  runs them; when all are done, DIR/crossval.csv and the table DIR/crossval.md are\n"
     "  written (after a cluster run, by vestra-batch collect DIR).\n",
     24, "sweep"},
    {Command::simulate, "simulate", anExperimentFile, experimentFile,
     "vestra-batch simulate FILE --model NAME [options] [reading options] -o OUT\n"
     "  Runs the model over the recording as evaluate does and writes every simulated\n"
     "  pedestrian's samples (--measured: the measured ones) as OUT's extension, or\n"
     "  --output-format, says: .txt (id frame x y z in metres, the frame rate in a comment),\n"
     "  .csv (id,frame,t,x,y,vx,vy) or .ndjson (scene and track rows). Every layout reads\n"
     "  back with vestra-batch's own readers (.ndjson with --fps as its scene row states).\n",
     22, nullptr},
    {Command::analyse, "analyse", anExperimentFile, experimentFile,
     "vestra-batch analyse FILE --area POLYGON [--line LINE] [--model NAME [options]]\n"
     "                      [reading options] -o DIR\n"
     "  Measures the recording's crowd and, with --model, the crowd the model simulates over\n"
     "  it: per frame the classic density, the Voronoi density and speed and the specific\n"
     "  flow in the area (a polygon \"x1 y1 x2 y2 x3 y3 ...\" in metres), and the crossings\n"
     "  of the line (\"x1 y1 x2 y2\"). Writes DIR/density_speed.csv, DIR/crossings.csv\n"
     "  (with --line), DIR/summary.txt (also printed) and the pictures\n"
     "  fundamental_diagram.png, density_time.png and nt.png (measured red, simulated blue).\n"
     "  DIR is replaced all or nothing, and only when it holds earlier results alone.\n",
     22, nullptr},
    {Command::help, "help", nullptr, nullptr,
     "vestra-batch help [COMMAND]\n"
     "  Prints the help of one command, or of every command.\n",
     0, nullptr},
};

}  // namespace

const std::vector<CommandCatalog::Entry>& CommandCatalog::commands() {
    return entries;
}

const CommandCatalog::Entry* CommandCatalog::named(const std::string& name) {
    for (const Entry& entry : entries) {
        if (name == entry.name) {
            return &entry;
        }
    }
    return nullptr;
}

const CommandCatalog::Entry& CommandCatalog::of(Command id) {
    for (const Entry& entry : entries) {
        if (entry.id == id) {
            return entry;
        }
    }
    assert(false && "every command has an entry");
    return entries.front();
}

std::string CommandCatalog::names(CommandSet set, const char* lastSeparator) {
    std::vector<std::string> chosen;
    for (const Entry& entry : entries) {
        if (set.has(entry.id)) {
            chosen.push_back(entry.name);
        }
    }
    std::string text;
    for (size_t i = 0; i < chosen.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == chosen.size() ? lastSeparator : ", ") + chosen[i];
    }
    return text;
}

CommandSet CommandCatalog::all() {
    CommandSet set;
    for (const Entry& entry : entries) {
        set = set | entry.id;
    }
    return set;
}
