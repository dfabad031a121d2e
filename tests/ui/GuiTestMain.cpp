#include <gtest/gtest.h>

#include <QApplication>

// The application object lives in main, so that it is destroyed before the statics that Qt's
// own clean-up relies on.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
