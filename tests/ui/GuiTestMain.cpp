#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <QApplication>
#include <string>

namespace {

// Keeps every loaded library (Qt plugins, the GL driver) in memory until the process ends, so
// that a leak report from inside them names the library and the suppressions can match it.
// Qt would otherwise unload its plugins at exit and the report would show an unknown module.
void pinLoadedLibraries() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0] != '\0') {
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}

}  // namespace

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
