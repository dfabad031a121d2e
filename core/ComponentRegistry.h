#pragma once

#include <memory>
#include <string>
#include <vector>

class Simulation;
class Parser;
class Metric;
class Calibration;

/// A factory of one kind of component: creates a new default-constructed component, owned by
/// the caller and deleted through the base class.
template <class Base>
class ComponentFactory {
public:
    virtual ~ComponentFactory() = default;
    virtual Base* create() const = 0;
};

/// The factory of component class T for the kind Base.
template <class Base, class T>
class ComponentFactoryOf : public ComponentFactory<Base> {
public:
    Base* create() const override { return new T(); }
};

/// The registered parsers, models, metrics and calibration algorithms, each kind in
/// registration order with the display names of its components. The desktop window keeps its
/// combo boxes paired with these lists; the command-line tool creates components by name.
class ComponentRegistry {
public:
    template <class Base>
    struct Kind {
        std::vector<std::unique_ptr<ComponentFactory<Base>>> factories;
        std::vector<std::string> names;  ///< display names (extensions for parsers)

        /// Index of the component with this name, or -1.
        int indexOf(const std::string& componentName) const {
            for (size_t i = 0; i < names.size(); ++i) {
                if (names[i] == componentName) {
                    return static_cast<int>(i);
                }
            }
            return -1;
        }
        /// A new component of the given index, or null for an index out of range.
        std::unique_ptr<Base> create(int index) const {
            if (index < 0 || index >= static_cast<int>(factories.size())) {
                return nullptr;
            }
            return std::unique_ptr<Base>(factories[index]->create());
        }
        /// A new component with this name, or null.
        std::unique_ptr<Base> create(const std::string& componentName) const {
            return create(indexOf(componentName));
        }
    };

    /// Appends a factory of T and the display name of a temporary T; returns the name.
    template <class T>
    const std::string& addSimulation() {
        return add<T>(simulations);
    }
    template <class T>
    const std::string& addMetric() {
        return add<T>(metrics);
    }
    template <class T>
    const std::string& addCalibration() {
        return add<T>(calibrations);
    }
    /// Appends a factory of parser T, named by its file extension; its format name goes to
    /// parserFormats at the same index.
    template <class T>
    void addParser() {
        const T parser;
        parsers.factories.push_back(std::make_unique<ComponentFactoryOf<Parser, T>>());
        parsers.names.push_back(parser.extension());
        parserFormats.push_back(parser.formatName());
    }

    /// Index of the parser with this format name ("ana", "csv", ...), or -1.
    int parserIndexForFormat(const std::string& format) const {
        for (size_t i = 0; i < parserFormats.size(); ++i) {
            if (parserFormats[i] == format) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    /// Index of the parser that reads the file at `path`, chosen by the file name's own
    /// extension (the text after its last dot), or -1 when no parser reads it. Several parsers
    /// may share an extension; the first registered one is chosen.
    int parserIndexForPath(const std::string& path) const {
        const size_t slash = path.find_last_of('/');
        const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
        const size_t dot = path.find_last_of('.');
        if (dot == std::string::npos || dot < nameStart) {
            return -1;
        }
        return parsers.indexOf(path.substr(dot + 1));
    }

    Kind<Simulation> simulations;
    Kind<Parser> parsers;
    std::vector<std::string> parserFormats;  ///< format name of each parser, as in parsers
    Kind<Metric> metrics;
    Kind<Calibration> calibrations;

private:
    template <class T, class Base>
    const std::string& add(Kind<Base>& kind) {
        kind.factories.push_back(std::make_unique<ComponentFactoryOf<Base, T>>());
        kind.names.push_back(T().name);
        return kind.names.back();
    }
};
