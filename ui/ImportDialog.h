#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "data/ReadingOptions.h"

class ComponentRegistry;
class Experiment;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTimer;

/// Opens a recording that is not an ANA file: the reading options (format, frame rate, unit,
/// stride, time window, longest gap filled, obstacle file), pre-filled from the file's extension
/// (empty fields take what the file states), and a summary of the experiment they give, updated
/// as the options change, before the experiment is taken.
class ImportDialog : public QDialog {
    Q_OBJECT

public:
    ImportDialog(const ComponentRegistry& registry, const QString& path, QWidget* parent = nullptr);
    ~ImportDialog() override;

    /// The experiment of the current options, or null when they give none; taking it leaves
    /// the dialog without one.
    std::unique_ptr<Experiment> takeExperiment();
    /// The options as the fields say; false, with `error`, for a field that does not parse.
    bool readingOptions(ReadingOptions& options, QString& error) const;
    /// The summary line (or the reason there is no experiment).
    QString summary() const;

public slots:
    /// Reads the file again with the current options and shows what they give.
    void refresh();

private:
    QLineEdit* addField(const QString& caption, const QString& placeholder);

    const ComponentRegistry& components;
    const std::string file;
    QComboBox* format = nullptr;
    QLineEdit* fps = nullptr;
    QComboBox* unit = nullptr;
    QSpinBox* stride = nullptr;
    QLineEdit* from = nullptr;
    QLineEdit* to = nullptr;
    QLineEdit* maxGap = nullptr;
    QLineEdit* obstacles = nullptr;
    QLabel* summaryLabel = nullptr;
    QDialogButtonBox* buttons = nullptr;
    QTimer* pending = nullptr;
    std::unique_ptr<Experiment> experiment;
};
