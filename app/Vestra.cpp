#include "app/Vestra.h"

#include <QApplication>

#include "ui/VestraWindow.h"

Vestra::Vestra(int& argc, char** argv)
    : application(std::make_unique<QApplication>(argc, argv)),
      mainWindow(std::make_unique<VestraWindow>(application.get())) {}

Vestra::~Vestra() {
    // The window goes before the application it belongs to.
    mainWindow.reset();
}

int Vestra::run() {
    mainWindow->show();
    return application->exec();
}
