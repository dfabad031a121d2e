#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/Configurable.h"
#include "models/Simulation.h"

namespace {

// A component with one setting of every plain type, declared the way every component declares
// its settings: defaults assigned directly, then one addParameter per setting in display order.
class Settings : public Configurable {
public:
    Settings() {
        name = "Settings";
        addParameter("Count", std::make_unique<Type_int>(), &count);
        addParameter("Factor", std::make_unique<Type_float>(), &factor);
        addParameter("Enabled", std::make_unique<Type_bool>(), &enabled);
        addParameter("File name", std::make_unique<Type_string>(), &fileName);
    }

    void parametersCommitted() override {
        ++commits;
        setDuringCommit.clear();
        for (const std::string& parameterName : parameterNames()) {
            setDuringCommit.push_back(isParameterSet(parameterName));
        }
    }

    int count = 30;
    float factor = 0.5f;
    bool enabled = true;
    std::string fileName = "out.txt";

    int commits = 0;
    std::vector<bool> setDuringCommit;
};

class NoSettings : public Configurable {
public:
    void parametersCommitted() override { ++commits; }
    int commits = 0;
};

struct TextCase {
    const char* name;
    const char* text;
    int expected;
};

void PrintTo(const TextCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class IntParameter : public testing::TestWithParam<TextCase> {};

TEST_P(IntParameter, ReadsAsAtoiAndPrintsDecimal) {
    SCOPED_TRACE(std::string("\"") + GetParam().text + "\"");
    Settings settings;
    settings.setParameter("Count", GetParam().text);
    EXPECT_EQ(settings.count, GetParam().expected);
    EXPECT_EQ(settings.getParameter("Count"), std::to_string(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, IntParameter,
                         testing::Values(TextCase{"DigitsAfterBlanksThenLetters", "  42abc", 42},
                                         TextCase{"NoDigits", "abc", 0},
                                         TextCase{"Negative", "-7", -7}, TextCase{"Empty", "", 0},
                                         TextCase{"PlusSign", "+15", 15},
                                         TextCase{"DecimalFraction", "3.9", 3},
                                         TextCase{"TabThenSecondNumber", "\t-4 5", -4},
                                         TextCase{"SignSeparatedFromDigits", "- 4", 0}),
                         [](const testing::TestParamInfo<TextCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(FloatParameter, ReadsAsAtofAndPrintsSixSignificantDigits) {
    struct Case {
        const char* text;
        float stored;
        const char* printed;
    };
    // Stored values are the float nearest to the decimal text; printed forms are the general
    // notation with six significant digits and no trailing zeros.
    const Case cases[] = {
        {"1e-3", 0.001f, "0.001"}, {"2.0", 2.0f, "2"},           {"0.5", 0.5f, "0.5"},
        {"1.50", 1.5f, "1.5"},     {"-0.25x", -0.25f, "-0.25"},  {"abc", 0.0f, "0"},
        {"", 0.0f, "0"},           {"  7.125", 7.125f, "7.125"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Settings settings;
        settings.setParameter("Factor", c.text);
        EXPECT_EQ(settings.factor, c.stored);
        EXPECT_EQ(settings.getParameter("Factor"), c.printed);
    }
}

TEST(FloatParameter, OneThirdPrintsWithSixDigits) {
    Settings settings;
    settings.factor = 1.0f / 3.0f;
    EXPECT_EQ(settings.getParameter("Factor"), "0.333333");
    settings.factor = 2.0f;
    EXPECT_EQ(settings.getParameter("Factor"), "2");
}

TEST(BoolParameter, OnlyTheExactWordTrueIsTrue) {
    struct Case {
        const char* text;
        bool expected;
    };
    const Case cases[] = {{"true", true},   {"TRUE", false}, {"True", false}, {"true ", false},
                          {" true", false}, {"1", false},    {"", false},     {"yes", false},
                          {"false", false}, {"truex", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        Settings settings;
        // Start from the opposite value so that a stale variable cannot pass for a parse.
        settings.enabled = !c.expected;
        settings.setParameter("Enabled", c.text);
        EXPECT_EQ(settings.enabled, c.expected);
        EXPECT_EQ(settings.getParameter("Enabled"), c.expected ? "true" : "false");
    }
}

TEST(StringParameter, CopiesTheTextVerbatim) {
    const std::string texts[] = {"", "  padded  ", "a\tb", "with \"quotes\" and # hash"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        Settings settings;
        settings.setParameter("File name", text);
        EXPECT_EQ(settings.fileName, text);
        EXPECT_EQ(settings.getParameter("File name"), text);
        EXPECT_TRUE(settings.isParameterSet("File name"));
    }
}

TEST(Configurable, NamesFollowDeclarationOrder) {
    Settings settings;
    EXPECT_EQ(settings.parameterNames(),
              (std::vector<std::string>{"Count", "Factor", "Enabled", "File name"}));
    EXPECT_EQ(settings.getParameter("Count"), "30");
    EXPECT_EQ(settings.getParameter("Factor"), "0.5");
    EXPECT_EQ(settings.getParameter("Enabled"), "true");
    EXPECT_EQ(settings.getParameter("File name"), "out.txt");
}

TEST(Configurable, DeclaredParametersAreNotSet) {
    Settings settings;
    for (const std::string& parameterName : settings.parameterNames()) {
        EXPECT_FALSE(settings.isParameterSet(parameterName)) << parameterName;
    }
}

TEST(Configurable, SetMarksOnlyThatParameter) {
    Settings settings;
    settings.setParameter("Factor", "1.25");
    EXPECT_FALSE(settings.isParameterSet("Count"));
    EXPECT_TRUE(settings.isParameterSet("Factor"));
    EXPECT_FALSE(settings.isParameterSet("Enabled"));
    EXPECT_FALSE(settings.isParameterSet("File name"));
}

TEST(Configurable, CommitShowsTheBatchToTheHookThenClearsIt) {
    Settings settings;
    settings.setParameter("Count", "5");
    settings.setParameter("Enabled", "false");
    settings.commitParameters();

    EXPECT_EQ(settings.commits, 1);
    EXPECT_EQ(settings.setDuringCommit, (std::vector<bool>{true, false, true, false}));
    for (const std::string& parameterName : settings.parameterNames()) {
        EXPECT_FALSE(settings.isParameterSet(parameterName)) << parameterName;
    }
    // Committing changes no value.
    EXPECT_EQ(settings.count, 5);
    EXPECT_FALSE(settings.enabled);

    // A second, empty batch: the hook runs again and sees nothing set.
    settings.commitParameters();
    EXPECT_EQ(settings.commits, 2);
    EXPECT_EQ(settings.setDuringCommit, (std::vector<bool>{false, false, false, false}));
}

TEST(Configurable, DialogUpdateSetsEveryEntryAndShowsCanonicalText) {
    // The configuration dialog sets every row, commits, then reads every row back.
    Settings settings;
    const std::vector<std::string> typed = {"0012", "1.50", "yes", " name "};
    for (size_t i = 0; i < typed.size(); ++i) {
        settings.setParameter(settings.parameterNames()[i], typed[i]);
    }
    settings.commitParameters();
    EXPECT_EQ(settings.setDuringCommit, (std::vector<bool>{true, true, true, true}));
    std::vector<std::string> shown;
    for (const std::string& parameterName : settings.parameterNames()) {
        shown.push_back(settings.getParameter(parameterName));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"12", "1.5", "false", " name "}));
}

TEST(Configurable, ComponentWithoutParametersOnlyCallsTheHook) {
    NoSettings component;
    EXPECT_TRUE(component.parameterNames().empty());
    component.commitParameters();
    EXPECT_EQ(component.commits, 1);
}

TEST(Configurable, SecondDeclarationOfANameIsRefused) {
    Settings settings;
    int other = 99;
    EXPECT_FALSE(
        settings.addParameter("Count", std::make_unique<Configurable::Type_int>(), &other));
    EXPECT_EQ(settings.parameterNames().size(), 4u);

    // The first binding stays: writes go to the original variable, not the refused one.
    settings.setParameter("Count", "17");
    EXPECT_EQ(settings.count, 17);
    EXPECT_EQ(other, 99);
    EXPECT_EQ(settings.getParameter("Count"), "17");
}

TEST(Configurable, SecondDeclarationWithAnotherTypeKeepsTheFirstType) {
    Settings settings;
    std::string shadow = "shadow";
    EXPECT_FALSE(
        settings.addParameter("Factor", std::make_unique<Configurable::Type_string>(), &shadow));
    settings.setParameter("Factor", "0.75");
    EXPECT_EQ(settings.factor, 0.75f);
    EXPECT_EQ(shadow, "shadow");
}

TEST(Configurable, UndeclaredNamesAreRejectedQuietly) {
    Settings settings;
    EXPECT_FALSE(settings.setParameter("Missing", "1"));
    EXPECT_EQ(settings.getParameter("Missing"), "");
    EXPECT_FALSE(settings.isParameterSet("Missing"));
    // Names match exactly and case-sensitively.
    EXPECT_FALSE(settings.setParameter("count", "1"));
    EXPECT_FALSE(settings.setParameter("Count ", "1"));
    EXPECT_EQ(settings.count, 30);
    // The rejected calls declared nothing.
    EXPECT_EQ(settings.parameterNames().size(), 4u);
    settings.commitParameters();
    EXPECT_EQ(settings.parameterNames().size(), 4u);
}

TEST(Configurable, ClearForgetsEveryParameterButNotTheVariables) {
    Settings settings;
    settings.setParameter("Count", "8");
    settings.clearParameters();
    EXPECT_TRUE(settings.parameterNames().empty());
    EXPECT_EQ(settings.getParameter("Count"), "");
    EXPECT_FALSE(settings.isParameterSet("Count"));
    EXPECT_FALSE(settings.setParameter("Count", "9"));
    EXPECT_EQ(settings.count, 8);

    // The names are free again and can be bound to other storage.
    int replacement = 1;
    EXPECT_TRUE(
        settings.addParameter("Count", std::make_unique<Configurable::Type_int>(), &replacement));
    EXPECT_EQ(settings.parameterNames(), std::vector<std::string>{"Count"});
    EXPECT_FALSE(settings.isParameterSet("Count"));
    settings.setParameter("Count", "4");
    EXPECT_EQ(replacement, 4);
    EXPECT_EQ(settings.count, 8);
}

}  // namespace

TEST(Configurable, StrictCheckAcceptsOnlyWholeValuesOfTheType) {
    // The lenient conversions above stay for the dialog; command-line settings must be exact.
    struct Case {
        const Configurable::Type& type;
        const char* text;
        bool accepted;
    };
    const Configurable::Type_int integer;
    const Configurable::Type_float real;
    const Configurable::Type_bool flag;
    const Configurable::Type_string text;
    const Simulation::Type_pdf distribution;
    const Case cases[] = {
        {integer, "20", true},
        {integer, " -7 ", true},
        {integer, "2147483647", true},
        {integer, "2147483648", false},
        {integer, "2.5", false},
        {integer, "20x", false},
        {integer, "", false},
        {real, "0.5", true},
        {real, "1e-3", true},
        {real, "-2", true},
        {real, "0,5", false},
        {real, "nan", false},
        {real, "inf", false},
        {real, "1e99", false},
        {real, "half", false},
        {flag, "true", true},
        {flag, "false", true},
        {flag, "yes", false},
        {flag, "True", false},
        {text, "", true},
        {text, "any thing", true},
        {distribution, "0.2 0.8", true},
        {distribution, "0.2 0.8 UNIFORM", true},
        {distribution, "0.2 0.8 NORMAL 0.5", true},
        {distribution, " 0.2  0.8 NORMAL 0.5 0.25 ", true},
        {distribution, "banana", false},
        {distribution, "0.2", false},
        {distribution, "0.2 0.8 GAUSS 0.5 0.25", false},
        {distribution, "0.2 0.8 NORMAL 0.5 0.25 9", false},
        {distribution, "0.2x 0.8", false},
        {distribution, "0,2 0,8", false},
        {distribution, "0.2 0.8 NORMAL half", false},
        {distribution, "0.2 inf", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.type.accepts(c.text), c.accepted)
            << c.type.typeName() << " \"" << c.text << "\"";
    }
}
