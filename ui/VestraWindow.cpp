#include "ui/VestraWindow.h"

#include <QComboBox>
#include <QIcon>
#include <QVariant>

#include "calibration/Calibration.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"

VestraWindow::VestraWindow(QApplication* app) : application(app) {
    setObjectName("VestraWindow");
    resize(1000, 500);
    setWindowTitle("Vestra");
    QWidget* central = new QWidget(this);
    central->setObjectName("centralwidget");
    panel = new QWidget(central);
    panel->setObjectName("widget");
    panel->setGeometry(0, 0, 500, 500);
    modelBox = new QComboBox(panel);
    modelBox->setObjectName("comboBox");
    modelBox->setGeometry(120, 71, 200, 20);
    metricBox = new QComboBox(panel);
    metricBox->setObjectName("comboBox_2");
    metricBox->setGeometry(120, 138, 200, 20);
    calibrationBox = new QComboBox(panel);
    calibrationBox->setObjectName("comboBox_3");
    calibrationBox->setGeometry(120, 238, 200, 20);
    setCentralWidget(central);

    connect(modelBox, SIGNAL(currentIndexChanged(int)), this, SLOT(loadSimulation(int)));
    connect(metricBox, SIGNAL(currentIndexChanged(int)), this, SLOT(setMetric(int)));
    connect(calibrationBox, SIGNAL(currentIndexChanged(int)), this, SLOT(setCalibration(int)));
}

VestraWindow::~VestraWindow() {
    delete simulation;
    delete metric;
    delete calibration;
}

void VestraWindow::appendItem(QComboBox* box, const std::string& text) {
    box->insertItem(box->count(), QIcon(), QString::fromLatin1(text.c_str()), QVariant());
}

void VestraWindow::loadSimulation(int s_index) {
    delete simulation;
    simulation = nullptr;
    if (s_index >= 0) {
        simulation = registry.simulations.create(s_index).release();
    }
}

void VestraWindow::setMetric(int index) {
    delete metric;
    metric = registry.metrics.create(index).release();
}

void VestraWindow::setCalibration(int index) {
    delete calibration;
    calibration = registry.calibrations.create(index).release();
}
