#pragma once

#include <string>

#include "core/Configurable.h"
#include "core/PDF.h"

/// Parameter type that edits a distribution as text: "min max KIND mean deviation".
class PdfType : public Configurable::Type {
public:
    void parse(std::string text, void* target) const override;
    std::string format(const void* target) const override;
    const char* typeName() const override { return "distribution"; }
    /// Two to five fields: "min max", optionally followed by UNIFORM or NORMAL, the mean and
    /// the deviation, every number finite.
    bool accepts(const std::string& text) const override;
    const char* expectedForm() const override {
        return "min max [UNIFORM|NORMAL [mean [deviation]]], such as 0.2 0.8 NORMAL 0.5 0.25";
    }
};
