#include "ui/ConfigurationWindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "core/Configurable.h"

ConfigurationWindow::ConfigurationWindow() : QDialog(nullptr) {}

void ConfigurationWindow::setConfigurable(Configurable* bound) {
    component = bound;
    auto* layout = new QGridLayout;
    layout->addWidget(new QLabel(QString::fromLatin1(component->name.c_str())), 0, 0, 1, 2);
    int row = 1;
    for (const std::string& parameter : component->parameterNames()) {
        auto* label = new QLabel(QString::fromLatin1(parameter.c_str()));
        auto* edit = new QLineEdit(QString::fromLatin1(component->getParameter(parameter).c_str()));
        layout->addWidget(label, row, 0);
        layout->addWidget(edit, row, 1);
        labels.append(label);
        edits.append(edit);
        ++row;
    }
    updateButton = new QPushButton(tr("Update"));
    layout->addWidget(updateButton, row, 1);
    connect(updateButton, SIGNAL(released()), this, SLOT(updateMetric()));
    setLayout(layout);
    setWindowTitle(tr("Configure"));
}

void ConfigurationWindow::updateMetric() {
    if (!component) {
        return;
    }
    const std::vector<std::string>& names = component->parameterNames();
    for (int i = 0; i < edits.size() && i < static_cast<int>(names.size()); ++i) {
        component->setParameter(names[i], edits[i]->text().toLatin1().toStdString());
    }
    component->commitParameters();
    const std::string problem = component->commitMessage();
    if (!problem.empty()) {
        QMessageBox::critical(this, "Error", QString::fromLocal8Bit(problem.c_str()));
    }
    for (int i = 0; i < edits.size() && i < static_cast<int>(names.size()); ++i) {
        edits[i]->setText(QString::fromLatin1(component->getParameter(names[i]).c_str()));
    }
}
