#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "data/ConfigurationParser.h"

#include "tests/support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

struct Section {
    std::string key;
    std::vector<float> values;
};

struct LayoutCase {
    const char* name;
    std::string text;
    std::vector<Section> sections;
    std::vector<std::string> absent;
};

void PrintTo(const LayoutCase& layout, std::ostream* out) {
    *out << layout.name;
}

void expectSections(const ConfigurationParser& reader, const LayoutCase& layout) {
    for (const Section& section : layout.sections) {
        SCOPED_TRACE("section \"" + section.key + "\"");
        EXPECT_TRUE(reader.has(section.key));
        ASSERT_EQ(reader.count(section.key), static_cast<int>(section.values.size()));
        for (size_t i = 0; i < section.values.size(); ++i) {
            EXPECT_FLOAT_EQ(reader.value(section.key, static_cast<int>(i)), section.values[i])
                << "value " << i;
        }
    }
    for (const std::string& key : layout.absent) {
        EXPECT_FALSE(reader.has(key)) << "section \"" << key << "\" should not exist";
        EXPECT_EQ(reader.count(key), 0);
    }
}

// Each layout is read twice, from memory and from a file, since load and loadText must agree
// and only the file path exercises the end-of-file handling.
class SectionLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(SectionLayout, ReadsFromMemory) {
    ConfigurationParser reader;
    reader.loadText(GetParam().text);
    expectSections(reader, GetParam());
}

TEST_P(SectionLayout, ReadsFromFile) {
    ScratchFolder folder;
    ConfigurationParser reader;
    ASSERT_TRUE(reader.load(folder.write("layout.prm", GetParam().text)));
    EXPECT_TRUE(reader.errorMessage().empty());
    expectSections(reader, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SectionLayout,
    testing::Values(
        LayoutCase{"SectionsShareOneLine", "%a 1 2 %b 3", {{"a", {1, 2}}, {"b", {3}}}, {}},
        // Only a leading "#" opens a comment; these tokens are values read as atof reads them.
        LayoutCase{"HashInsideTokenIsValue", "%a x#y 2#3\n", {{"a", {0, 2}}}, {}},
        LayoutCase{"CommentLineContributesNothing", "%a 1\n# 2 %b 3\n4\n", {{"a", {1, 4}}}, {"b"}},
        LayoutCase{"CommentAfterValuesEndsAtLineEnd", "%a 1 #2 3\n4", {{"a", {1, 4}}}, {}},
        LayoutCase{"LoneHashLine", "%a 1\n#\n2\n", {{"a", {1, 2}}}, {}},
        LayoutCase{"CommentAtEndWithoutLineEnd", "%a 1 # 2", {{"a", {1}}}, {}},
        LayoutCase{"LastLineWithoutLineEnd", "%a 1\n2.5", {{"a", {1, 2.5f}}}, {}},
        LayoutCase{"RepeatedSectionKeepsLast", "%a 1\n%b 5\n%a 2\n", {{"a", {2}}, {"b", {5}}}, {}},
        // Carriage returns separate tokens like blanks, so they never end up in a name or value.
        LayoutCase{"CrLfLineEnds",
                   "%a\r\n1\r\n2\r\n#c 9\r\n%b 3\r\n",
                   {{"a", {1, 2}}, {"b", {3}}},
                   {"a\r", "c", "b\r"}},
        LayoutCase{
            "TokensBeforeFirstSectionGoToEmptyName", "7 8\n%a 1\n", {{"", {7, 8}}, {"a", {1}}}, {}},
        LayoutCase{"EmptySectionExists", "%empty\n%b 1", {{"empty", {}}, {"b", {1}}}, {}},
        LayoutCase{"PercentInsideTokenIsValue", "%a 1%b 2", {{"a", {1, 2}}}, {"b"}},
        LayoutCase{"AnyWhiteSpaceSeparates", "\t%a\t\t1\v2\f 3  \n\n", {{"a", {1, 2, 3}}}, {}},
        // 0x1p-1 = 0.5 and -0x1.8p+0 = -1.5: the hexadecimal form that parameter files use.
        LayoutCase{"HexadecimalAndExponentForms",
                   "%a 0x1p-1 -0x1.8p+0 1e1 .5",
                   {{"a", {0.5f, -1.5f, 10, 0.5f}}},
                   {}},
        // A NUL byte is an ordinary character: reading goes on past it.
        LayoutCase{"NulByteDoesNotEndText", std::string("%a 1\0x 2", 8), {{"a", {1, 2}}}, {}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(ConfigurationParserValue, NonNumericTokenConvertsAsAtof) {
    ConfigurationParser reader;
    reader.loadText("%a abc 3.5kg - +7");
    ASSERT_EQ(reader.count("a"), 4);
    EXPECT_EQ(reader.value("a", 0), 0.0f);
    EXPECT_EQ(reader.value("a", 1), 3.5f);
    EXPECT_EQ(reader.value("a", 2), 0.0f);
    EXPECT_EQ(reader.value("a", 3), 7.0f);
}

TEST(ConfigurationParserValue, ValueIsNarrowedToFloat) {
    ConfigurationParser reader;
    reader.loadText("%a 0.1");
    // atof gives the double nearest 0.1; the reader hands back that value rounded to float.
    EXPECT_EQ(reader.value("a", 0), 0.1f);
}

struct OutOfRangeCase {
    const char* key;
    int index;
};

void PrintTo(const OutOfRangeCase& c, std::ostream* out) {
    *out << "\"" << c.key << "\" [" << c.index << "]";
}

class ConfigurationParserOutOfRange : public testing::TestWithParam<OutOfRangeCase> {};

// Asking past the values present is defined: not a number, never a read beyond the list.
TEST_P(ConfigurationParserOutOfRange, GivesNotANumber) {
    ConfigurationParser reader;
    reader.loadText("%a 1 2\n%empty\n");
    EXPECT_TRUE(std::isnan(reader.value(GetParam().key, GetParam().index)));
}

INSTANTIATE_TEST_SUITE_P(Indices, ConfigurationParserOutOfRange,
                         testing::Values(OutOfRangeCase{"a", 2}, OutOfRangeCase{"a", -1},
                                         OutOfRangeCase{"a", INT_MAX}, OutOfRangeCase{"a", INT_MIN},
                                         OutOfRangeCase{"empty", 0}, OutOfRangeCase{"missing", 0}));

TEST(ConfigurationParserCount, CountsValuesOfEachSection) {
    ConfigurationParser reader;
    reader.loadText("%a 1 2 3\n%b\n%c 4\n%b 5 6\n");
    EXPECT_EQ(reader.count("a"), 3);
    EXPECT_EQ(reader.count("b"), 2);
    EXPECT_EQ(reader.count("c"), 1);
    EXPECT_EQ(reader.count("missing"), 0);
}

TEST(ConfigurationParserCount, NewTableIsEmpty) {
    const ConfigurationParser reader;
    EXPECT_FALSE(reader.has("a"));
    EXPECT_EQ(reader.count("a"), 0);
    EXPECT_TRUE(std::isnan(reader.value("a", 0)));
}

TEST(ConfigurationParserLoad, MissingFileFailsAndKeepsTable) {
    ScratchFolder folder;
    ConfigurationParser reader;
    reader.loadText("%a 1 2\n");
    const std::string missing = folder.file("no-such-file.prm");

    EXPECT_FALSE(reader.load(missing));
    EXPECT_NE(reader.errorMessage().find(missing), std::string::npos) << reader.errorMessage();

    ASSERT_EQ(reader.count("a"), 2);
    EXPECT_EQ(reader.value("a", 0), 1.0f);
    EXPECT_EQ(reader.value("a", 1), 2.0f);
}

// A folder opens like a file but cannot be read; a user may well type one as a file name.
TEST(ConfigurationParserLoad, FolderFailsAndKeepsTable) {
    ScratchFolder folder;
    const std::string subfolder = folder.file("a-folder");
    ASSERT_TRUE(fs::create_directory(subfolder));
    ConfigurationParser reader;
    reader.loadText("%a 1 2\n");

    EXPECT_FALSE(reader.load(subfolder));
    EXPECT_NE(reader.errorMessage().find(subfolder), std::string::npos) << reader.errorMessage();
    ASSERT_EQ(reader.count("a"), 2);
    EXPECT_EQ(reader.value("a", 1), 2.0f);
}

TEST(ConfigurationParserLoad, FileInMissingFolderFails) {
    ScratchFolder folder;
    ConfigurationParser reader;
    EXPECT_FALSE(reader.load(folder.file("absent-folder/params.prm")));
    EXPECT_FALSE(reader.errorMessage().empty());
    EXPECT_FALSE(reader.has("a"));
}

TEST(ConfigurationParserLoad, SuccessfulLoadClearsEarlierError) {
    ScratchFolder folder;
    ConfigurationParser reader;
    ASSERT_FALSE(reader.load(folder.file("missing.prm")));
    ASSERT_TRUE(reader.load(folder.write("present.prm", "%a 1\n")));
    EXPECT_TRUE(reader.errorMessage().empty());
    EXPECT_EQ(reader.value("a", 0), 1.0f);
}

TEST(ConfigurationParserLoad, EmptyFileGivesNoNamedSections) {
    ScratchFolder folder;
    ConfigurationParser reader;
    ASSERT_TRUE(reader.load(folder.write("empty.prm", "")));
    EXPECT_FALSE(reader.has("a"));
    EXPECT_EQ(reader.count(""), 0);
}

TEST(ConfigurationParserLoad, LargeFileIsReadCompletely) {
    // 200000 values and a token of a million characters: nothing is cut at a buffer size.
    constexpr int valueCount = 200000;
    std::string text = "%big\n";
    for (int i = 0; i < valueCount; ++i) {
        text += std::to_string(i % 1000) + (i % 16 == 15 ? "\n" : " ");
    }
    text += "%long " + std::string(1000000, '9') + "\n%tail 42";
    ScratchFolder folder;
    ConfigurationParser reader;
    ASSERT_TRUE(reader.load(folder.write("large.prm", text)));
    EXPECT_EQ(reader.count("big"), valueCount);
    // The last value written is (valueCount - 1) % 1000 = 199999 % 1000 = 999.
    EXPECT_EQ(reader.value("big", valueCount - 1), 999.0f);
    EXPECT_EQ(reader.count("long"), 1);
    EXPECT_TRUE(std::isinf(reader.value("long", 0)));  // 10^1000000 overflows to infinity
    EXPECT_EQ(reader.value("tail", 0), 42.0f);
}

}  // namespace
