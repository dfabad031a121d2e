#include "python/KeptEvaluations.h"

std::unique_ptr<PreparedEvaluation> KeptEvaluations::take(const PreparedEvaluation::Key& key) {
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if ((*it)->key() == key) {
            std::unique_ptr<PreparedEvaluation> found = std::move(*it);
            kept.erase(it);
            return found;
        }
    }
    return nullptr;
}

void KeptEvaluations::keep(std::unique_ptr<PreparedEvaluation> evaluation) {
    kept.push_front(std::move(evaluation));
    while (kept.size() > most) {
        kept.pop_back();
    }
}
