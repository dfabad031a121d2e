#pragma once

#include <memory>

class QApplication;
class VestraWindow;

/// The application object: the Qt application and the main window.
class Vestra {
public:
    /// `argc` is kept by reference by the Qt application, as Qt requires.
    Vestra(int& argc, char** argv);
    virtual ~Vestra();
    Vestra(const Vestra&) = delete;
    Vestra& operator=(const Vestra&) = delete;

    /// Shows the window and runs the event loop until the last window closes.
    int run();

    VestraWindow& window() { return *mainWindow; }

private:
    std::unique_ptr<QApplication> application;
    std::unique_ptr<VestraWindow> mainWindow;
};
