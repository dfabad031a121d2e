#include "ui/ConfigurationWindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "core/Configurable.h"

namespace {

// Wide enough (px) that a window manager shows the title "Configure Progressive Difference"
// beside its buttons, also for a component whose only row is its name.
constexpr int dialogMinimumWidth = 360;

}  // namespace

ConfigurationWindow::ConfigurationWindow(QWidget* parent) : QDialog(parent) {
    setMinimumWidth(dialogMinimumWidth);
}

void ConfigurationWindow::setConfigurable(Configurable* bound, const QString& subject) {
    component = bound;
    auto* layout = new QGridLayout;
    const QString name = QString::fromUtf8(component->name.c_str());
    layout->addWidget(new QLabel(name), 0, 0, 1, 2);
    int row = 1;
    for (const std::string& parameter : component->parameterNames()) {
        auto* label = new QLabel(QString::fromUtf8(parameter.c_str()));
        auto* edit = new QLineEdit;
        showWhole(edit, QString::fromUtf8(component->getParameter(parameter).c_str()));
        layout->addWidget(label, row, 0);
        layout->addWidget(edit, row, 1);
        labels.append(label);
        edits.append(edit);
        ++row;
    }
    if (labels.isEmpty()) {
        layout->addWidget(new QLabel(name + " has no parameters."), row, 0);
    }
    updateButton = new QPushButton(tr("Update"));
    layout->addWidget(updateButton, row, 1);
    connect(updateButton, SIGNAL(released()), this, SLOT(updateMetric()));
    setLayout(layout);
    setWindowTitle(tr("Configure") + " " + (subject.isEmpty() ? name : subject));
}

void ConfigurationWindow::showWhole(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    // Room for the text plus the frame and inner margins of the field, so that a distribution's
    // minimum is never scrolled out of sight.
    const int margins = 2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 12;
    edit->setMinimumWidth(
        std::max(edit->minimumWidth(), edit->fontMetrics().horizontalAdvance(text) + margins));
    edit->setCursorPosition(0);
}

void ConfigurationWindow::updateMetric() {
    if (!component) {
        return;
    }
    const std::vector<std::string>& names = component->parameterNames();
    for (int i = 0; i < edits.size() && i < static_cast<int>(names.size()); ++i) {
        component->setParameter(names[i], edits[i]->text().toUtf8().toStdString());
    }
    component->commitParameters();
    const std::string problem = component->commitMessage();
    if (!problem.empty()) {
        QMessageBox::critical(this, "Error", QString::fromUtf8(problem.c_str()));
    }
    for (int i = 0; i < edits.size() && i < static_cast<int>(names.size()); ++i) {
        showWhole(edits[i], QString::fromUtf8(component->getParameter(names[i]).c_str()));
    }
    const std::string notice = component->commitNotice();
    if (!notice.empty()) {
        emit committed(QString::fromUtf8(notice.c_str()));
    }
    emit updated();
}
