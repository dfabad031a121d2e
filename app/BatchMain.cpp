#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/BatchTool.h"

#ifdef VESTRA_BATCH_PICTURES
#include <QApplication>

#include "ui/AnalysisImages.h"

namespace {

// Qt's remarks about the off-screen platform's environment (no runtime folder of a desktop
// session) say nothing about the pictures; everything else goes to standard error as usual.
void qtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith("QStandardPaths:")) {
        return;
    }
    std::cerr << qFormatLogMessage(type, context, message).toStdString() << "\n";
}

}  // namespace
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    BatchTool tool(std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
#ifdef VESTRA_BATCH_PICTURES
    // Only analyse draws; its charts are rendered off-screen, with no display needed, and the
    // other commands start no Qt at all.
    std::unique_ptr<QApplication> application;
    if (!arguments.empty() && arguments[0] == "analyse") {
        qInstallMessageHandler(qtMessage);
        static int qtArgc = 3;
        static char name[] = "vestra-batch", option[] = "-platform", platform[] = "offscreen";
        static char* qtArgv[] = {name, option, platform, nullptr};
        application = std::make_unique<QApplication>(qtArgc, qtArgv);
        tool.setPictures(writeAnalysisImages);
    }
#endif
    return tool.run(arguments);
}
