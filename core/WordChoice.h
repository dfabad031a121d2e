#pragma once

#include <string>
#include <vector>

#include "core/Configurable.h"

/// A text parameter that takes one of a few words.
class WordChoice : public Configurable::Type_string {
public:
    /// Takes exactly one of `choices`.
    explicit WordChoice(std::vector<std::string> choices);
    bool accepts(const std::string& text) const override;
    /// "observed or recorded".
    const char* expectedForm() const override { return form.c_str(); }

private:
    std::vector<std::string> words;
    std::string form;
};

/// A whole-number parameter with a smallest value.
class WholeNumberFrom : public Configurable::Type_int {
public:
    explicit WholeNumberFrom(int smallest);
    bool accepts(const std::string& text) const override;
    /// "a whole number of at least 2".
    const char* expectedForm() const override { return form.c_str(); }

private:
    int smallest;
    std::string form;
};
