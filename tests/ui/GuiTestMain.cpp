#include <gtest/gtest.h>

#include <QApplication>
#include <string>

#include "tests/support/PinLoadedLibraries.h"

// The application object lives in main, so that it is destroyed before the statics that Qt's
// own clean-up relies on.
int main(int argc, char** argv) {
    // Listing the tests (as ctest does to discover them) needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--gtest_list_tests") {
            testing::InitGoogleTest(&argc, argv);
            return RUN_ALL_TESTS();
        }
    }
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    pinLoadedLibraries();
    return result;
}
