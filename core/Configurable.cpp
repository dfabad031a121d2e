#include "core/Configurable.h"

#include <cstdlib>

#include "core/NumberText.h"

void Configurable::Type_int::parse(std::string text, void* target) const {
    *static_cast<int*>(target) = std::atoi(text.c_str());
}

std::string Configurable::Type_int::format(const void* target) const {
    return std::to_string(*static_cast<const int*>(target));
}

void Configurable::Type_float::parse(std::string text, void* target) const {
    *static_cast<float*>(target) = NumberText::atofFloat(text.c_str());
}

std::string Configurable::Type_float::format(const void* target) const {
    return NumberText::format("%g", static_cast<double>(*static_cast<const float*>(target)));
}

bool Configurable::Type_int::accepts(const std::string& text) const {
    return NumberText::isCompleteInt(text);
}

bool Configurable::Type_float::accepts(const std::string& text) const {
    return NumberText::isCompleteNumber(text);
}

bool Configurable::Type_bool::accepts(const std::string& text) const {
    return text == "true" || text == "false";
}

void Configurable::Type_bool::parse(std::string text, void* target) const {
    *static_cast<bool*>(target) = (text == "true");
}

std::string Configurable::Type_bool::format(const void* target) const {
    return *static_cast<const bool*>(target) ? "true" : "false";
}

void Configurable::Type_string::parse(std::string text, void* target) const {
    *static_cast<std::string*>(target) = std::move(text);
}

std::string Configurable::Type_string::format(const void* target) const {
    return *static_cast<const std::string*>(target);
}

bool Configurable::addParameter(const std::string& parameterName, std::unique_ptr<Type> type,
                                void* target) {
    if (!type || !target || table.count(parameterName) != 0) {
        return false;
    }
    names.push_back(parameterName);
    Value& entry = table[parameterName];
    entry.set = false;
    entry.type = std::move(type);
    entry.target = target;
    return true;
}

bool Configurable::setParameter(const std::string& parameterName, const std::string& text) {
    const auto entry = table.find(parameterName);
    if (entry == table.end()) {
        return false;
    }
    entry->second.type->parse(text, entry->second.target);
    entry->second.set = true;
    return true;
}

std::string Configurable::getParameter(const std::string& parameterName) const {
    const auto entry = table.find(parameterName);
    if (entry == table.end()) {
        return std::string();
    }
    return entry->second.type->format(entry->second.target);
}

bool Configurable::isParameterSet(const std::string& parameterName) const {
    const auto entry = table.find(parameterName);
    return entry != table.end() && entry->second.set;
}

std::string Configurable::parameterType(const std::string& parameterName) const {
    const auto entry = table.find(parameterName);
    return entry == table.end() ? std::string() : entry->second.type->typeName();
}

bool Configurable::acceptsParameterText(const std::string& parameterName,
                                        const std::string& text) const {
    const auto entry = table.find(parameterName);
    return entry != table.end() && entry->second.type->accepts(text);
}

std::string Configurable::expectedParameterForm(const std::string& parameterName) const {
    const auto entry = table.find(parameterName);
    return entry == table.end() ? std::string() : entry->second.type->expectedForm();
}

bool Configurable::hasParameter(const std::string& parameterName) const {
    return table.count(parameterName) != 0;
}

void Configurable::commitParameters() {
    parametersCommitted();
    for (const std::string& parameterName : names) {
        table[parameterName].set = false;
    }
}

void Configurable::clearParameters() {
    names.clear();
    table.clear();
}
