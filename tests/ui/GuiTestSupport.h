#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

/// The one application object of the GUI tests, made by their main().
inline QApplication& testApplication() {
    return *static_cast<QApplication*>(qApp);
}

/// Answers every modal message box that opens while it lives, recording title and text, so a
/// test can drive slots that show errors without blocking.
class MessageBoxCatcher {
public:
    MessageBoxCatcher() {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this]() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                titles << box->windowTitle();
                texts << box->text();
                box->accept();
            }
        });
        timer.start();
    }
    QStringList titles;
    QStringList texts;

private:
    QTimer timer;
};
