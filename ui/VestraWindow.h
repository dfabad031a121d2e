#pragma once

#include <QMainWindow>
#include <QString>

#include "core/ComponentRegistry.h"

class QApplication;
class QComboBox;
class QWidget;

/// The main window: owns the registry of component factories and the selected model, metric
/// and calibration algorithm; each combo box lists one kind in registration order.
class VestraWindow : public QMainWindow {
    Q_OBJECT

public:
    using SimWrapperBase = ComponentFactory<Simulation>;
    using ParserWrapperBase = ComponentFactory<Parser>;
    using MetricWrapperBase = ComponentFactory<Metric>;
    using CalibrationWrapperBase = ComponentFactory<Calibration>;
    template <class T>
    using SimWrapper = ComponentFactoryOf<Simulation, T>;
    template <class T>
    using ParserWrapper = ComponentFactoryOf<Parser, T>;
    template <class T>
    using MetricWrapper = ComponentFactoryOf<Metric, T>;
    template <class T>
    using CalibrationWrapper = ComponentFactoryOf<Calibration, T>;

    explicit VestraWindow(QApplication* application);
    ~VestraWindow() override;

    // Registration: the factory is stored before the combo item is added, because adding the
    // first item selects it and the slot at once creates a component through that factory.
    template <class T>
    void addSimulation() {
        appendItem(modelBox, registry.addSimulation<T>());
    }
    template <class T>
    void addParser() {
        registry.addParser<T>();
    }
    template <class T>
    void addMetric() {
        appendItem(metricBox, registry.addMetric<T>());
    }
    template <class T>
    void addCalibration() {
        appendItem(calibrationBox, registry.addCalibration<T>());
    }

    const ComponentRegistry& components() const { return registry; }
    Simulation* currentSimulation() const { return simulation; }
    Metric* currentMetric() const { return metric; }
    Calibration* currentCalibration() const { return calibration; }

public slots:
    void loadSimulation(int s_index);
    void setMetric(int index);
    void setCalibration(int index);

private:
    static void appendItem(QComboBox* box, const std::string& text);

    ComponentRegistry registry;
    QApplication* application = nullptr;
    QWidget* panel = nullptr;
    QComboBox* modelBox = nullptr;
    QComboBox* metricBox = nullptr;
    QComboBox* calibrationBox = nullptr;
    Simulation* simulation = nullptr;
    Metric* metric = nullptr;
    Calibration* calibration = nullptr;
};
