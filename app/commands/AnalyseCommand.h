#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "analysis/CrowdAnalysis.h"
#include "app/commands/AnalyseRequest.h"
#include "app/commands/CalibrateRequest.h"

class CrowdFrames;

/// `vestra-batch analyse`: the standard measurements of a recording's crowd (density, speed, flow,
/// the fundamental diagram) and, with a model, of the crowd it simulates over the recording,
/// written as tables, a summary and pictures into one folder, all or nothing.
class AnalyseCommand {
public:
    /// Draws the pictures of an analysis into a folder (see writeAnalysisImages); empty in a
    /// build without charts, which then writes the tables alone.
    using Pictures =
        std::function<bool(const CrowdAnalysis& measured, const CrowdAnalysis* simulated,
                           const std::string& folder, std::string& error)>;

    AnalyseCommand(std::ostream& out, std::ostream& err, Pictures pictures)
        : out(out), err(err), pictures(std::move(pictures)) {}

    /// Measures and writes; the exit status.
    int run(const CalibrateRequest& recording, const AnalyseRequest& request);

    /// Every file the command may write into its folder.
    static const std::vector<std::string>& resultNames();

private:
    /// The setup from the request's texts, or empty after a usage message.
    std::optional<AnalysisSetup> setupOf(const AnalyseRequest& request) const;
    /// The run's summary comments: what was measured where, and how.
    std::vector<std::string> about(const CalibrateRequest& recording, const AnalyseRequest& request,
                                   const AnalysisSetup& setup) const;
    /// Measures `crowd`, or says why not; `name` names it in the message.
    std::optional<CrowdAnalysis> measure(const char* name, const CrowdFrames& crowd,
                                         const AnalysisSetup& setup) const;
    /// Writes the files; the exit status.
    int write(const AnalyseRequest& request, const std::vector<std::string>& about,
              const CrowdAnalysis& measured, const CrowdAnalysis* simulated);

    std::ostream& out;
    std::ostream& err;
    Pictures pictures;
};
