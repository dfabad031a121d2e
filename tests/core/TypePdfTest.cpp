#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/PDF.h"
#include "core/Random.h"
#include "models/Simulation.h"

namespace {

// The smallest concrete model: it only declares agent parameters.
class BareSimulation : public Simulation {
public:
    void createAgents() override {}
    void applyParameters() override {}
    void registerObstacle(float, float, float, float) override {}
    void setPosition(int, float, float) override {}
    void setVelocity(int, float, float) override {}
    void setGoal(int, float, float) override {}
    void step(float) override {}
};

void expectPdf(const PDF& actual, float min, float max, int kind, float mean, float deviation) {
    EXPECT_EQ(actual.min, min);
    EXPECT_EQ(actual.max, max);
    EXPECT_EQ(actual.kind, kind);
    EXPECT_EQ(actual.mean, mean);
    EXPECT_EQ(actual.deviation, deviation);
    EXPECT_EQ(actual.levels, 32767);
}

struct ParseCase {
    const char* name;
    const char* text;
    float min, max;
    int kind;
    float mean, deviation;
};

void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class TypePdfParse : public testing::TestWithParam<ParseCase> {};

TEST_P(TypePdfParse, BuildsTheDistributionFromTheFieldsPresent) {
    const ParseCase& c = GetParam();
    SCOPED_TRACE(std::string("\"") + c.text + "\"");
    // The target starts as a different distribution so that every field must be written.
    PDF target(-9.0f, 9.0f, PDF::NORMAL, 3.0f, 2.0f);
    target.levels = 5;
    Simulation::Type_pdf().parse(c.text, &target);
    expectPdf(target, c.min, c.max, c.kind, c.mean, c.deviation);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypePdfParse,
    testing::Values(
        ParseCase{"TwoNumbers", "0 1", 0.0f, 1.0f, PDF::UNIFORM, 0.0f, 0.0f},
        ParseCase{"NormalWithMean", "0.5 1.5 NORMAL 1", 0.5f, 1.5f, PDF::NORMAL, 1.0f, 0.0f},
        ParseCase{"AllFiveFields", "0 1 NORMAL 0.5 0.2", 0.0f, 1.0f, PDF::NORMAL, 0.5f, 0.2f},
        ParseCase{"UniformWord", "-2 3 UNIFORM", -2.0f, 3.0f, PDF::UNIFORM, 0.0f, 0.0f},
        ParseCase{"UniformKeepsMeanAndDeviation", "1 2 UNIFORM 7 8", 1.0f, 2.0f, PDF::UNIFORM, 7.0f,
                  8.0f},
        ParseCase{"AnyWhiteSpace", "  1e-1\t2.5e1\nNORMAL  4 ", 0.1f, 25.0f, PDF::NORMAL, 4.0f,
                  0.0f},
        // Only five fields are read; anything after them is ignored.
        ParseCase{"SurplusFieldsIgnored", "0 1 NORMAL 0.5 0.2 extra 9", 0.0f, 1.0f, PDF::NORMAL,
                  0.5f, 0.2f},
        // A mean that does not read as a number ends the fields there.
        ParseCase{"NonNumericMeanEndsTheFields", "0 1 NORMAL x 0.2", 0.0f, 1.0f, PDF::NORMAL, 0.0f,
                  0.0f}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(TypePdf, TwoNumbersAreWrittenBackAsAUniformDistribution) {
    PDF target;
    const Simulation::Type_pdf type;
    type.parse("0 1", &target);
    EXPECT_EQ(type.format(&target), "0 1 UNIFORM 0 0");
}

TEST(TypePdf, TextsWithoutTwoNumbersOrWithAnUnknownKindChangeNothing) {
    const char* const texts[] = {"",
                                 "   ",
                                 "0.75",
                                 "abc",
                                 "x 1",
                                 "0 1 GAUSS 1 2",
                                 "0 1 normal",
                                 "0 1 Uniform",
                                 "0 1 1",
                                 "0 1 NORMAL_ 1",
                                 "0 1 UNIFORMX 0 0"};
    for (const char* text : texts) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        PDF target(0.25f, 4.0f, PDF::NORMAL, 2.0f, 0.5f);
        Simulation::Type_pdf().parse(text, &target);
        expectPdf(target, 0.25f, 4.0f, PDF::NORMAL, 2.0f, 0.5f);

        PDF undefined;
        Simulation::Type_pdf().parse(text, &undefined);
        EXPECT_EQ(undefined.levels, -1);
    }
}

TEST(TypePdf, ParsingDefinesAnUndefinedDistribution) {
    PDF target;
    ASSERT_EQ(target.levels, -1);
    Simulation::Type_pdf().parse("0 1", &target);
    EXPECT_EQ(target.levels, 32767);
    // It now draws: seed 1's first draw 16838 gives u = 16838 / 32766 in float.
    Random::seed(1);
    EXPECT_EQ(target.sample(), 0.513886333f);  // float32(16838) / float32(32766), in python3
}

TEST(TypePdf, ParsedNormalWithoutDeviationDrawsTheMean) {
    PDF target;
    Simulation::Type_pdf().parse("0.5 1.5 NORMAL 1", &target);
    Random::seed(17);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(target.sample(), 1.0f) << "sample " << i;
    }
}

TEST(TypePdf, FormatWritesFiveFieldsWithSixSignificantDigits) {
    struct Case {
        PDF pdf;
        const char* text;
    };
    const Case cases[] = {
        {PDF(0.0f, 1.0f, PDF::NORMAL, 0.5f, 0.2f), "0 1 NORMAL 0.5 0.2"},
        {PDF(0.0f, 1.0f, PDF::UNIFORM, 0.0f, 0.0f), "0 1 UNIFORM 0 0"},
        {PDF(-1.5f, 2.0f, PDF::UNIFORM, 0.25f, 1.0f / 3.0f), "-1.5 2 UNIFORM 0.25 0.333333"},
        {PDF(0.001f, 1234.5f, PDF::NORMAL, 100.125f, 7.0f), "0.001 1234.5 NORMAL 100.125 7"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Simulation::Type_pdf().format(&c.pdf), c.text);
    }
}

TEST(TypePdf, FormatThenParseRestoresTheDistribution) {
    const PDF originals[] = {PDF(0.0f, 1.0f, PDF::NORMAL, 0.5f, 0.2f),
                             PDF(-3.25f, 7.5f, PDF::UNIFORM, 0.0f, 0.0f),
                             PDF(0.3f, 1.25f, PDF::NORMAL, 0.75f, 0.125f),
                             PDF(-0.5f, -0.25f, PDF::NORMAL, -0.375f, 0.0625f)};
    const Simulation::Type_pdf type;
    for (const PDF& original : originals) {
        const std::string text = type.format(&original);
        SCOPED_TRACE(text);
        PDF restored;
        type.parse(text, &restored);
        expectPdf(restored, original.min, original.max, original.kind, original.mean,
                  original.deviation);
        EXPECT_EQ(type.format(&restored), text);
    }
}

TEST(AgentParameters, ThreeDeclarationsKeepOrderDefaultsAndDistributions) {
    BareSimulation simulation;
    simulation.addAgentParameter("Speed", 1.3f, PDF(0.5f, 2.0f, PDF::NORMAL, 1.3f, 0.2f));
    simulation.addAgentParameter("Radius", 0.25f, PDF(0.1f, 0.4f, PDF::UNIFORM, 0.0f, 0.0f));
    simulation.addAgentParameter("Agent t.h.", 2.0f, PDF(1.0f, 5.0f, PDF::NORMAL, 2.0f, 1.0f));

    EXPECT_EQ(simulation.parameterNames(),
              (std::vector<std::string>{"Speed", "Radius", "Agent t.h."}));
    EXPECT_EQ(simulation.agentParameterCount(), 3);
    EXPECT_EQ(simulation.parameterDefaults(), (std::vector<float>{1.3f, 0.25f, 2.0f}));
    ASSERT_EQ(simulation.parameterDistributions().size(), 3u);
    EXPECT_EQ(simulation.getParameter("Speed"), "0.5 2 NORMAL 1.3 0.2");
    EXPECT_EQ(simulation.getParameter("Radius"), "0.1 0.4 UNIFORM 0 0");
    EXPECT_EQ(simulation.getParameter("Agent t.h."), "1 5 NORMAL 2 1");
}

TEST(AgentParameters, EachNameStaysBoundToItsOwnDistributionAfterTheListGrows) {
    BareSimulation simulation;
    simulation.addAgentParameter("A", 1.0f, PDF(0.0f, 1.0f, PDF::UNIFORM, 0.0f, 0.0f));
    simulation.addAgentParameter("B", 2.0f, PDF(0.0f, 2.0f, PDF::UNIFORM, 0.0f, 0.0f));
    simulation.addAgentParameter("C", 3.0f, PDF(0.0f, 3.0f, PDF::UNIFORM, 0.0f, 0.0f));

    // Editing through the name must reach the storage the model draws from now, not a list
    // that appending has since moved.
    simulation.setParameter("A", "-1 -0.5 NORMAL -0.75 0.1");
    expectPdf(simulation.parameterDistributions()[0], -1.0f, -0.5f, PDF::NORMAL, -0.75f, 0.1f);
    expectPdf(simulation.parameterDistributions()[1], 0.0f, 2.0f, PDF::UNIFORM, 0.0f, 0.0f);
    expectPdf(simulation.parameterDistributions()[2], 0.0f, 3.0f, PDF::UNIFORM, 0.0f, 0.0f);

    simulation.setParameter("B", "4 8");
    expectPdf(simulation.parameterDistributions()[1], 4.0f, 8.0f, PDF::UNIFORM, 0.0f, 0.0f);
    expectPdf(simulation.parameterDistributions()[0], -1.0f, -0.5f, PDF::NORMAL, -0.75f, 0.1f);

    simulation.setParameter("C", "0 9.5 UNIFORM 0 0");
    expectPdf(simulation.parameterDistributions()[2], 0.0f, 9.5f, PDF::UNIFORM, 0.0f, 0.0f);
    EXPECT_EQ(simulation.getParameter("A"), "-1 -0.5 NORMAL -0.75 0.1");
    EXPECT_EQ(simulation.getParameter("B"), "4 8 UNIFORM 0 0");
}

TEST(AgentParameters, ManyDeclarationsStayBound) {
    BareSimulation simulation;
    const int count = 40;
    for (int i = 0; i < count; ++i) {
        simulation.addAgentParameter("p" + std::to_string(i), static_cast<float>(i),
                                     PDF(0.0f, static_cast<float>(i), PDF::UNIFORM, 0.0f, 0.0f));
    }
    ASSERT_EQ(simulation.parameterNames().size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string parameterName = "p" + std::to_string(i);
        EXPECT_EQ(simulation.parameterNames()[i], parameterName);
        EXPECT_EQ(simulation.getParameter(parameterName),
                  "0 " + std::to_string(i) + " UNIFORM 0 0");
    }
    simulation.setParameter("p0", "5 6");
    EXPECT_EQ(simulation.parameterDistributions()[0].min, 5.0f);
    EXPECT_EQ(simulation.parameterDistributions()[count - 1].max, static_cast<float>(count - 1));
}

TEST(AgentParameters, RedeclarationStartsWithEveryFlagCleared) {
    BareSimulation simulation;
    simulation.addAgentParameter("A", 1.0f, PDF(0.0f, 1.0f, PDF::UNIFORM, 0.0f, 0.0f));
    simulation.setParameter("A", "0 2");
    ASSERT_TRUE(simulation.isParameterSet("A"));
    simulation.addAgentParameter("B", 2.0f, PDF(0.0f, 2.0f, PDF::UNIFORM, 0.0f, 0.0f));
    EXPECT_FALSE(simulation.isParameterSet("A"));
    EXPECT_FALSE(simulation.isParameterSet("B"));
    // The value set before the redeclaration is kept; only the binding was renewed.
    EXPECT_EQ(simulation.getParameter("A"), "0 2 UNIFORM 0 0");
}

}  // namespace
