#include "app/Vestra.h"

#include <QApplication>
#include <clocale>

#include "ui/VestraWindow.h"

namespace {

// Creating the Qt application switches the C library to the user's locale. Numbers in files and
// fields are read and written with "." whatever the desktop's language, so the numeric part
// goes back to "C" before anything is read.
std::unique_ptr<QApplication> createApplication(int& argc, char** argv) {
    auto application = std::make_unique<QApplication>(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return application;
}

}  // namespace

Vestra::Vestra(int& argc, char** argv)
    : application(createApplication(argc, argv)),
      mainWindow(std::make_unique<VestraWindow>(application.get())) {}

Vestra::~Vestra() {
    // The window goes before the application it belongs to.
    mainWindow.reset();
}

int Vestra::run() {
    mainWindow->show();
    return application->exec();
}
