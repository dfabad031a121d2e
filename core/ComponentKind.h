#pragma once

#include <memory>
#include <string>
#include <vector>

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

/// The registered components of one kind (their common base class is Base), in registration
/// order, each with its name. It knows nothing of what the kinds are, so that the layer that
/// defines a base class can keep a list of its components.
template <class Base>
struct ComponentKind {
    std::vector<std::unique_ptr<ComponentFactory<Base>>> factories;  ///< one per component
    std::vector<std::string> names;  ///< display names (extensions for parsers)

    /// Appends a factory of T under `name`; returns the stored name.
    template <class T>
    const std::string& add(const std::string& name) {
        factories.push_back(std::make_unique<ComponentFactoryOf<Base, T>>());
        names.push_back(name);
        return names.back();
    }
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
