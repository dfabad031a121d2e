#include "core/PdfType.h"

#include <cmath>

#include "core/NumberText.h"

namespace {

// The fields of a distribution's text, "min max KIND mean deviation", read one after another
// until one does not convert.
struct DistributionFields {
    int converted = 0;
    float values[4] = {0.0f, 0.0f, 0.0f, 0.0f};  ///< min, max, mean, deviation
    std::string kind;
    /// Every field read was a whole token, and nothing but blanks follows the last one.
    bool wholeTokens = true;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

DistributionFields readDistribution(const std::string& text) {
    DistributionFields fields;
    const char* p = text.c_str();
    const auto skipBlanks = [&p]() {
        while (isBlank(*p)) {
            ++p;
        }
    };
    const auto number = [&](float& value) {
        skipBlanks();
        const char* end = nullptr;
        value = NumberText::toFloat(p, &end);
        if (end == p) {
            return false;
        }
        fields.wholeTokens =
            fields.wholeTokens && (*end == '\0' || isBlank(*end)) && std::isfinite(value);
        p = end;
        ++fields.converted;
        return true;
    };
    if (!number(fields.values[0]) || !number(fields.values[1])) {
        fields.wholeTokens = false;
        return fields;
    }
    skipBlanks();
    const char* word = p;
    while (*p != '\0' && !isBlank(*p)) {
        ++p;
    }
    if (p == word) {
        return fields;
    }
    fields.kind.assign(word, p);
    ++fields.converted;
    if (number(fields.values[2])) {
        number(fields.values[3]);
    }
    skipBlanks();
    fields.wholeTokens = fields.wholeTokens && *p == '\0';
    return fields;
}

int kindOf(const std::string& word) {
    if (word == "UNIFORM") {
        return PDF::UNIFORM;
    }
    return word == "NORMAL" ? PDF::NORMAL : -1;
}

}  // namespace

void PdfType::parse(std::string text, void* target) const {
    const DistributionFields fields = readDistribution(text);
    if (fields.converted < 2) {
        return;
    }
    const int kind = fields.converted >= 3 ? kindOf(fields.kind) : PDF::UNIFORM;
    if (kind < 0) {
        return;  // an unknown kind word leaves the distribution as it was
    }
    const float mean = fields.converted >= 4 ? fields.values[2] : 0.0f;
    const float deviation = fields.converted >= 5 ? fields.values[3] : 0.0f;
    *static_cast<PDF*>(target) = PDF(fields.values[0], fields.values[1], kind, mean, deviation);
}

bool PdfType::accepts(const std::string& text) const {
    const DistributionFields fields = readDistribution(text);
    return fields.converted >= 2 && fields.wholeTokens &&
           (fields.converted < 3 || kindOf(fields.kind) >= 0);
}

std::string PdfType::format(const void* target) const {
    const PDF& pdf = *static_cast<const PDF*>(target);
    return NumberText::format("%g %g %s %g %g", static_cast<double>(pdf.min),
                              static_cast<double>(pdf.max), PDF::kindName(pdf.kind).c_str(),
                              static_cast<double>(pdf.mean), static_cast<double>(pdf.deviation));
}
