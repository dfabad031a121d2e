#include "ui/AnalysisImages.h"

bool writeAnalysisImages(const CrowdAnalysis&, const CrowdAnalysis*, const std::string&,
                         std::string& error) {
    error = "pictures are not drawn yet";
    return false;
}
