#include "core/WordChoice.h"

#include <algorithm>
#include <cstdlib>

#include "core/NumberText.h"

WordChoice::WordChoice(std::vector<std::string> choices) : words(std::move(choices)) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        form += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    }
}

bool WordChoice::accepts(const std::string& text) const {
    return std::find(words.begin(), words.end(), text) != words.end();
}

WholeNumberFrom::WholeNumberFrom(int smallest)
    : smallest(smallest), form("a whole number of at least " + std::to_string(smallest)) {}

bool WholeNumberFrom::accepts(const std::string& text) const {
    return NumberText::isCompleteInt(text) && std::atol(text.c_str()) >= smallest;
}
