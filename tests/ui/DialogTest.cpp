#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "app/StandardComponents.h"
#include "ui/ImportDialog.h"
#include "ui/ReadingOptionFields.h"
#include "ui/VestraWindow.h"

TEST(ReadingOptionFields, MessagesNameTheDialogsFieldsInsteadOfOptions) {
    const std::pair<const char*, const char*> cases[] = {
        {"The file does not state its frame rate: give it with --fps (frame numbers per second).",
         "The file does not state its frame rate: give it with the \"Frames per second\" field "
         "(frame numbers per second)."},
        {"frames that step by 10 mean --fps 25.",
         "frames that step by 10 mean 25 in the \"Frames per second\" field."},
        {"Filled tracking gaps of at most 1 s (--max-gap) by linear interpolation: 1.",
         "Filled tracking gaps of at most 1 s (the \"Longest gap filled (s)\" field) by linear "
         "interpolation: 1."},
        {"read fewer frames with --stride or a time window with --from/--to.",
         "read fewer frames with the \"Keep every k-th frame\" field or a time window with the "
         "\"From (s)\" and \"To (s)\" fields."},
        {"give their unit with --unit (cm or mm), or --unit mm.",
         "give their unit with the \"Length unit\" field (cm or mm), or mm in the \"Length unit\" "
         "field."},
        {"--format eth reads four columns; --obstacles walls.txt adds walls.",
         "eth in the \"Format\" field reads four columns; walls.txt in the \"Obstacle file\" field "
         "adds walls."},
        {"--to is before --from; see --help.",
         "The \"To (s)\" field is before the \"From (s)\" field; see --help."},
    };
    for (const auto& [message, told] : cases) {
        EXPECT_EQ(ReadingOptionFields::inDialogTerms(message), told);
    }
}

TEST(ImportDialog, ReadersAdviceNamesTheDialogsFields) {
    testApplication();
    VestraWindow window(nullptr);
    registerStandardComponents(window);
    // The benchmark file states no frame rate, and its reader says how to give one.
    const ImportDialog import(window.components(),
                              QString(VESTRA_EXAMPLES_DIR) + "/crossing-trajnet.ndjson");
    EXPECT_TRUE(import.summary().contains("give it with the \"Frames per second\" field"))
        << import.summary().toStdString();
    EXPECT_FALSE(import.summary().contains("--")) << import.summary().toStdString();
}
