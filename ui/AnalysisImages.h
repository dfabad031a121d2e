#pragma once

#include <string>

class CrowdAnalysis;

/// Writes the pictures of a crowd analysis into `folder` (which exists): the fundamental
/// diagram "fundamental_diagram.png" (density against speed beside density against flow), the
/// density over time "density_time.png" and, when the analyses have crossings, the N–t diagram
/// "nt.png"; measured in red, simulated (when given) in blue. Each file is replaced whole or
/// left as it was. Needs a QApplication (any platform, "offscreen" included). False with
/// `error` at the first file that cannot be written; the files before it are written.
bool writeAnalysisImages(const CrowdAnalysis& measured, const CrowdAnalysis* simulated,
                         const std::string& folder, std::string& error);
