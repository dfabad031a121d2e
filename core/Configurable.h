#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

/// A component whose settings are named, typed parameters that can be listed in declaration
/// order, printed as text and set from text. The component keeps each setting in an ordinary
/// member variable and declares it once; the generic parameter dialog and the command-line tool
/// edit every component through this interface alone.
class Configurable {
public:
    /// Converts between the text form of a parameter and the variable it stands for.
    class Type {
    public:
        virtual ~Type() = default;
        /// Converts `text` and stores the result into the variable at `target`.
        virtual void parse(std::string text, void* target) const = 0;
        /// Returns the text form of the variable at `target`.
        virtual std::string format(const void* target) const = 0;
        /// A short name of the type for listings ("int", "float", ...).
        virtual const char* typeName() const = 0;
        /// True when `text` is wholly a value of this type. parse() itself is lenient, as the
        /// dialog's conversion rules are; this is the check for settings that must be exact.
        virtual bool accepts(const std::string& text) const = 0;
        /// The form accepts() expects, for messages.
        virtual const char* expectedForm() const = 0;
    };

    /// 32-bit signed integer, read as `atoi` reads it.
    class Type_int : public Type {
    public:
        void parse(std::string text, void* target) const override;
        std::string format(const void* target) const override;
        const char* typeName() const override { return "int"; }
        bool accepts(const std::string& text) const override;
        const char* expectedForm() const override { return "a whole number such as 20"; }
    };

    /// 32-bit float, read as `atof` reads it, printed with six significant digits.
    class Type_float : public Type {
    public:
        void parse(std::string text, void* target) const override;
        std::string format(const void* target) const override;
        const char* typeName() const override { return "float"; }
        bool accepts(const std::string& text) const override;
        const char* expectedForm() const override { return "a number such as 0.5"; }
    };

    /// Flag: true exactly for the text "true".
    class Type_bool : public Type {
    public:
        void parse(std::string text, void* target) const override;
        std::string format(const void* target) const override;
        const char* typeName() const override { return "bool"; }
        bool accepts(const std::string& text) const override;
        const char* expectedForm() const override { return "true or false"; }
    };

    /// Byte string, copied verbatim.
    class Type_string : public Type {
    public:
        void parse(std::string text, void* target) const override;
        std::string format(const void* target) const override;
        const char* typeName() const override { return "string"; }
        bool accepts(const std::string&) const override { return true; }
        const char* expectedForm() const override { return "any text"; }
    };

    /// One declared parameter.
    struct Value {
        bool set = false;            ///< written by setParameter since the last commit
        std::unique_ptr<Type> type;  ///< owned converter
        void* target = nullptr;      ///< the variable; not owned
    };

    Configurable() = default;
    Configurable(const Configurable&) = delete;
    Configurable& operator=(const Configurable&) = delete;
    virtual ~Configurable() = default;

    /// Hook called by commitParameters before the set flags are cleared.
    virtual void parametersCommitted() {}
    /// What went wrong in the last commit (a file that could not be written, say), for the
    /// dialog to show; empty when nothing did.
    virtual std::string commitMessage() const { return std::string(); }
    /// What the last commit did besides setting values (a file written, say), for the dialog to
    /// report; empty when there is nothing to say.
    virtual std::string commitNotice() const { return std::string(); }

    /// Declares a parameter. A second declaration of the same name is refused (returns false)
    /// and leaves the first one in place.
    bool addParameter(const std::string& parameterName, std::unique_ptr<Type> type, void* target);
    /// Sets a parameter from text and marks it set; false for an undeclared name.
    bool setParameter(const std::string& parameterName, const std::string& text);
    /// The text form of a parameter; empty for an undeclared name.
    std::string getParameter(const std::string& parameterName) const;
    /// True when the parameter was set since the last commit; false for an undeclared name.
    bool isParameterSet(const std::string& parameterName) const;
    /// The type name of a parameter ("int", "float", "bool", "string", "distribution"); empty
    /// for an undeclared name.
    std::string parameterType(const std::string& parameterName) const;
    /// True when `text` is wholly a value of the parameter's type; false for an undeclared name.
    bool acceptsParameterText(const std::string& parameterName, const std::string& text) const;
    /// The form the parameter's text must have; empty for an undeclared name.
    std::string expectedParameterForm(const std::string& parameterName) const;
    /// True when a parameter of that name is declared.
    bool hasParameter(const std::string& parameterName) const;
    /// The names in declaration order.
    const std::vector<std::string>& parameterNames() const { return names; }
    /// Calls parametersCommitted, then clears every set flag.
    void commitParameters();
    /// Forgets every parameter (the variables themselves are untouched).
    void clearParameters();

    /// Display name of the component.
    std::string name;

private:
    std::vector<std::string> names;
    std::map<std::string, Value> table;
};
