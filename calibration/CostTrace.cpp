#include "calibration/CostTrace.h"

#include <cmath>

#include "core/AtomicFile.h"
#include "core/NumberText.h"

void CostTrace::add(float cost) {
    if (rows.empty() || cost < best || (std::isnan(best) && !std::isnan(cost))) {
        best = cost;
    }
    rows.emplace_back(cost, best);
}

bool CostTrace::write(const std::string& path, std::string& error) const {
    AtomicFile file(path);
    if (!write(file, error)) {
        return false;
    }
    if (!file.commit()) {
        error = file.errorMessage();
        return false;
    }
    return true;
}

bool CostTrace::write(AtomicFile& file, std::string& error) const {
    if (std::FILE* f = file.stream()) {
        std::fputs("evaluation,cost,best\n", f);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            NumberText::print(f, "%zu,%.9g,%.9g\n", i + 1, static_cast<double>(rows[i].first),
                              static_cast<double>(rows[i].second));
        }
    }
    if (!file.finish()) {
        error = file.errorMessage();
        return false;
    }
    return true;
}
