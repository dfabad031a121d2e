#include "ui/ImportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <vector>

#include "calibration/ComponentRegistry.h"
#include "core/NumberText.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "data/ExperimentSummary.h"
#include "ui/ReadingOptionFields.h"

namespace {

// The options are read again this long after the last change, so typing stays fluid (ms).
constexpr int settleTime = 250;

const char* const unitChoices[] = {"as the file says", "m", "cm", "mm"};
const double unitMetres[] = {0.0, 1.0, 0.01, 0.001};

// The row caption of the field that sets a command-line reading option.
QString captionOf(const char* option) {
    return ReadingOptionFields::caption(option) + ":";
}

}  // namespace

ImportDialog::ImportDialog(const ComponentRegistry& registry, const QString& path, QWidget* parent)
    : QDialog(parent), components(registry), file(path.toUtf8().toStdString()) {
    setWindowTitle("Import " + QFileInfo(path).fileName());
    auto* form = new QFormLayout;
    format = new QComboBox;
    for (const std::string& name : registry.parserFormats) {
        format->addItem(QString::fromUtf8(name.c_str()));
    }
    const int byExtension = registry.parserIndexForPath(file);
    format->setCurrentIndex(byExtension >= 0 ? byExtension : 0);
    form->addRow(captionOf("--format"), format);
    setLayout(new QVBoxLayout);
    static_cast<QVBoxLayout*>(layout())->addLayout(form);
    fps = addField(captionOf("--fps"), "as the file says");
    unit = new QComboBox;
    for (const char* choice : unitChoices) {
        unit->addItem(choice);
    }
    form->addRow(captionOf("--unit"), unit);
    stride = new QSpinBox;
    stride->setRange(1, 1000);
    form->addRow(captionOf("--stride"), stride);
    from = addField(captionOf("--from"), "the start");
    to = addField(captionOf("--to"), "the end");
    maxGap = addField(captionOf("--max-gap"), "1");
    obstacles = addField(captionOf("--obstacles"), "none");
    summaryLabel = new QLabel;
    summaryLabel->setWordWrap(true);
    summaryLabel->setMinimumWidth(420);
    layout()->addWidget(summaryLabel);
    buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    layout()->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    pending = new QTimer(this);
    pending->setSingleShot(true);
    pending->setInterval(settleTime);
    connect(pending, &QTimer::timeout, this, &ImportDialog::refresh);
    const auto later = [this]() { pending->start(); };
    connect(format, QOverload<int>::of(&QComboBox::currentIndexChanged), this, later);
    connect(unit, QOverload<int>::of(&QComboBox::currentIndexChanged), this, later);
    connect(stride, QOverload<int>::of(&QSpinBox::valueChanged), this, later);
    for (QLineEdit* field : {fps, from, to, maxGap, obstacles}) {
        connect(field, &QLineEdit::textChanged, this, later);
    }
    refresh();
}

ImportDialog::~ImportDialog() = default;

QLineEdit* ImportDialog::addField(const QString& caption, const QString& placeholder) {
    auto* field = new QLineEdit;
    field->setPlaceholderText(placeholder);
    static_cast<QFormLayout*>(static_cast<QVBoxLayout*>(layout())->itemAt(0)->layout())
        ->addRow(caption, field);
    return field;
}

bool ImportDialog::readingOptions(ReadingOptions& options, QString& error) const {
    options = ReadingOptions();
    options.format = format->currentText().toUtf8().toStdString();
    options.metresPerUnit = unitMetres[unit->currentIndex()];
    options.stride = stride->value();
    options.obstacles = obstacles->text().trimmed().toUtf8().toStdString();
    const struct {
        QLineEdit* field;
        double* value;
        const char* what;
    } numbers[] = {{fps, &options.framesPerSecond, "The frame rate"},
                   {from, &options.from, "The start time"},
                   {to, &options.to, "The end time"},
                   {maxGap, &options.maxGap, "The longest gap"}};
    for (const auto& number : numbers) {
        const std::string text = number.field->text().trimmed().toStdString();
        if (text.empty()) {
            continue;
        }
        if (!NumberText::isCompleteNumber(text)) {
            error = QString(number.what) + " is not a number: \"" + QString::fromStdString(text) +
                    "\".";
            return false;
        }
        *number.value = NumberText::toDouble(text.c_str());
    }
    return true;
}

void ImportDialog::refresh() {
    pending->stop();
    experiment.reset();
    ReadingOptions options;
    QString problem;
    std::string error;
    std::vector<std::string> notes;
    if (readingOptions(options, problem)) {
        experiment = loadExperimentFile(components, file, options, error, &notes);
        problem = QString::fromUtf8(error.c_str());
    }
    QString text;
    if (experiment) {
        const ExperimentSummary s = summarize(*experiment);
        text = NumberText::format(
                   "%d pedestrians, %d frames, %.1f s; at most %d present at once "
                   "(%.1f on average); median speed %.2f m/s.",
                   s.pedestrians, s.frames, static_cast<double>(s.duration), s.mostPresent,
                   s.meanPresent, s.medianSpeed)
                   .c_str();
        for (const std::string& note : notes) {
            text += "\n" + QString::fromUtf8(note.c_str());
        }
    } else {
        text = problem;
    }
    // The readers' advice names command-line options; here the fields of this dialog set them.
    summaryLabel->setText(ReadingOptionFields::inDialogTerms(text));
    buttons->button(QDialogButtonBox::Open)->setEnabled(experiment != nullptr);
}

QString ImportDialog::summary() const {
    return summaryLabel->text();
}

std::unique_ptr<Experiment> ImportDialog::takeExperiment() {
    return std::move(experiment);
}
