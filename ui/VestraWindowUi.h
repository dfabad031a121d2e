#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMetaObject>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>

#include "core/ThreadGroup.h"
#include "core/UsableCores.h"

/// The widget set of the main window: a fixed-layout control panel on the left (SETUP,
/// EVALUATION, CALIBRATION, CONTROLS) and the layout that hosts the 3D view on the right.
class Ui_VestraWindow {
public:
    QWidget* centralwidget;
    QWidget* widget;
    QWidget* horizontalLayoutWidget;
    QHBoxLayout* horizontalLayout;
    QFrame *line, *line_2, *line_3, *line_4, *line_5;
    QLabel *label, *label_2, *label_3, *label_4, *label_5, *label_6, *label_7, *label_8, *label_9,
        *label_10, *label_11, *label_12, *label_13, *label_14, *label_15, *label_16;
    /// What the current record holds: model and experiment file.
    QLabel* loadedLabel;
    QLineEdit* lineEdit;
    QComboBox *comboBox, *comboBox_2, *comboBox_3;
    QPushButton *pushButton, *pushButton_2, *pushButton_3, *pushButton_4, *pushButton_5,
        *pushButton_6, *pushButton_7, *pushButton_8, *pushButton_9, *pushButton_10, *pushButton_11,
        *pushButton_12, *pushButton_13, *pushButton_14, *pushButton_15;
    QCheckBox *checkBox, *checkBox_2, *checkBox_3, *checkBox_4, *checkBox_5, *checkBox_6;
    QSlider* horizontalSlider;
    /// Threads that evaluate at once during a calibration.
    QSpinBox* jobsBox;
    /// Opens the cost curve of the last calibration.
    QPushButton* chartButton;
    /// Whether a calibration searches one value per pedestrian or one for all.
    QComboBox* scopeBox;
    /// Saves the spread of the calibrated per-pedestrian values as distributions.
    QPushButton* spreadButton;
    /// The prediction sequence shown, for the prediction metrics.
    QSpinBox* sequenceBox;
    /// Writes the record's simulated and measured trajectories.
    QPushButton* exportButton;
    /// Opens the crowd measurements of the record, measured against simulated.
    QPushButton* analysisButton;

    void setupUi(QMainWindow* window) {
        window->setObjectName("VestraWindow");
        window->resize(1000, 500);
        centralwidget = new QWidget(window);
        centralwidget->setObjectName("centralwidget");
        widget = new QWidget(centralwidget);
        widget->setObjectName("widget");
        widget->setGeometry(0, 0, 500, 500);
        horizontalLayoutWidget = new QWidget(centralwidget);
        horizontalLayoutWidget->setObjectName("horizontalLayoutWidget");
        horizontalLayoutWidget->setGeometry(500, 0, 501, 501);
        horizontalLayout = new QHBoxLayout(horizontalLayoutWidget);
        horizontalLayout->setObjectName("horizontalLayout");
        horizontalLayout->setContentsMargins(0, 0, 0, 0);

        line = makeLine("line", QFrame::HLine, 0, 100, 500, 3);
        line_2 = makeLine("line_2", QFrame::HLine, 0, 200, 500, 3);
        line_3 = makeLine("line_3", QFrame::HLine, 0, 300, 500, 3);
        line_4 = makeLine("line_4", QFrame::VLine, 497, 0, 3, 500);
        line_5 = makeLine("line_5", QFrame::VLine, 250, 325, 3, 150);

        label = makeTitle("label", 0, 0);
        loadedLabel = new QLabel(widget);
        place(loadedLabel, "loadedLabel", 120, 5, 370, 20);
        label_5 = makeCaption("label_5", 0, 33);
        lineEdit = new QLineEdit(widget);
        place(lineEdit, "lineEdit", 120, 38, 200, 20);
        lineEdit->setReadOnly(true);
        pushButton = makeButton("pushButton", 330, 36, 70, 26);
        pushButton_2 = makeButton("pushButton_2", 415, 36, 70, 26);
        label_6 = makeCaption("label_6", 0, 66);
        comboBox = makeCombo("comboBox", 120, 71);
        pushButton_3 = makeButton("pushButton_3", 330, 69, 70, 26);
        pushButton_15 = makeButton("pushButton_15", 415, 69, 70, 26);

        label_2 = makeTitle("label_2", 0, 100);
        label_7 = makeCaption("label_7", 0, 133);
        comboBox_2 = makeCombo("comboBox_2", 120, 138);
        pushButton_5 = makeButton("pushButton_5", 330, 136, 70, 26);
        label_8 = makeCaption("label_8", 0, 166);
        label_9 = new QLabel(widget);
        place(label_9, "label_9", 120, 171, 100, 20);
        pushButton_4 = makeButton("pushButton_4", 230, 169, 70, 26);

        label_3 = makeTitle("label_3", 0, 200);
        label_12 = makeCaption("label_12", 0, 233);
        comboBox_3 = makeCombo("comboBox_3", 120, 238);
        pushButton_6 = makeButton("pushButton_6", 330, 236, 70, 26);
        label_11 = makeCaption("label_11", 0, 266);
        label_10 = new QLabel(widget);
        place(label_10, "label_10", 120, 271, 100, 20);
        pushButton_7 = makeButton("pushButton_7", 230, 269, 70, 26);
        pushButton_8 = makeButton("pushButton_8", 330, 269, 70, 26);
        chartButton = makeButton("chartButton", 415, 236, 70, 26);
        chartButton->setText("Chart");
        chartButton->setEnabled(false);
        chartButton->setToolTip("The cost curve of the last calibration");
        jobsBox = new QSpinBox(widget);
        place(jobsBox, "jobsBox", 415, 269, 70, 26);
        jobsBox->setRange(1, ThreadGroup::most);
        jobsBox->setValue(usableCores());
        jobsBox->setSuffix(" jobs");
        jobsBox->setToolTip(
            "Threads that evaluate at once during a calibration, or that share each step of "
            "2000 pedestrians or more");

        exportButton = makeButton("exportButton", 400, 103, 85, 26);
        exportButton->setText("Export...");
        exportButton->setToolTip(
            "Export trajectories: writes the simulated crowd of the last run, and the measured "
            "one beside it (NAME-measured), as .txt, .csv or .ndjson");
        analysisButton = makeButton("analysisButton", 415, 136, 70, 26);
        analysisButton->setText("Analysis");
        analysisButton->setToolTip(
            "The fundamental diagram, the density over time and the N-t diagram of the loaded "
            "experiment in a measurement area and across a line, against the simulated crowd of "
            "the last evaluation");
        sequenceBox = new QSpinBox(widget);
        place(sequenceBox, "sequenceBox", 330, 169, 90, 26);
        sequenceBox->setPrefix("seq. ");
        sequenceBox->setEnabled(false);
        sequenceBox->setToolTip(
            "With a prediction metric: the sequence whose prediction the view shows against the "
            "measured future, from its last observed frame on (press Play)");
        scopeBox = new QComboBox(widget);
        place(scopeBox, "scopeBox", 120, 205, 120, 24);
        scopeBox->addItem("Per pedestrian");
        scopeBox->addItem("Shared");
        scopeBox->setToolTip(
            "Which values a calibration searches: one of each parameter per pedestrian of this "
            "recording, or one of each parameter shared by all pedestrians, whose parameter file "
            "loads onto any recording of the model");
        spreadButton = makeButton("spreadButton", 330, 203, 70, 26);
        spreadButton->setText("Spread");
        spreadButton->setToolTip(
            "Saves each parameter's calibrated values as a distribution, min max NORMAL mean "
            "deviation, the text a model parameter takes, into distributions.txt");

        label_4 = makeTitle("label_4", 0, 300);
        label_13 = makeTitle("label_13", 75, 340);
        checkBox = makeCheck("checkBox", 22, 380, true);
        checkBox_2 = makeCheck("checkBox_2", 102, 380, false);
        checkBox_3 = makeCheck("checkBox_3", 182, 380, true);
        checkBox_4 = makeCheck("checkBox_4", 102, 420, false);
        checkBox_5 = makeCheck("checkBox_5", 43, 460, false);
        checkBox_6 = makeCheck("checkBox_6", 145, 460, false);
        label_14 = makeTitle("label_14", 325, 300);
        horizontalSlider = new QSlider(Qt::Horizontal, widget);
        place(horizontalSlider, "horizontalSlider", 275, 345, 200, 20);
        pushButton_9 = makeButton("pushButton_9", 280, 380, 130, 20);
        pushButton_10 = makeButton("pushButton_10", 422, 380, 60, 20);
        label_15 = new QLabel(widget);
        place(label_15, "label_15", 275, 420, 50, 20);
        label_15->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        pushButton_11 = makeButton("pushButton_11", 350, 420, 20, 20);
        label_16 = new QLabel(widget);
        place(label_16, "label_16", 370, 420, 10, 20);
        pushButton_12 = makeButton("pushButton_12", 380, 420, 20, 20);
        pushButton_13 = makeButton("pushButton_13", 420, 420, 50, 20);
        pushButton_14 = makeButton("pushButton_14", 325, 460, 100, 20);

        window->setCentralWidget(centralwidget);
        retranslateUi(window);
        QMetaObject::connectSlotsByName(window);
    }

    void retranslateUi(QMainWindow* window) {
        window->setWindowTitle("Vestra");
        label->setText("SETUP");
        loadedLabel->setText("Loaded: nothing");
        label_5->setText("Experiment:");
        pushButton->setText("Browse");
        pushButton_2->setText("Configure");
        label_6->setText("Model:");
        pushButton_3->setText("Configure");
        pushButton_15->setText("Load");
        label_2->setText("EVALUATION");
        label_7->setText("Metric:");
        pushButton_5->setText("Configure");
        label_8->setText("Score:");
        label_9->setText("none");
        pushButton_4->setText("Evaluate");
        label_3->setText("CALIBRATION");
        label_12->setText("Algorithm:");
        pushButton_6->setText("Configure");
        label_11->setText("Score:");
        label_10->setText("none");
        pushButton_7->setText("Calibrate");
        pushButton_8->setText("Stats");
        label_4->setText("CONTROLS");
        label_13->setText("Visibility");
        checkBox->setText("Exp.");
        checkBox_2->setText("Dist.");
        checkBox_3->setText("Sim.");
        checkBox_4->setText("Colors++");
        checkBox_5->setText("Tails");
        checkBox_6->setText("Paths");
        label_14->setText("Playback");
        pushButton_9->setText("Play / Pause");
        pushButton_10->setText("Reset");
        label_15->setText("Speed:");
        pushButton_11->setText("-");
        label_16->setText("/");
        pushButton_12->setText("+");
        pushButton_13->setText("1:1");
        pushButton_14->setText("Reset Camera");
    }

private:
    void place(QWidget* w, const char* objectName, int x, int y, int width, int height) {
        w->setObjectName(objectName);
        w->setGeometry(x, y, width, height);
    }
    QFrame* makeLine(const char* objectName, QFrame::Shape shape, int x, int y, int w, int h) {
        auto* frame = new QFrame(widget);
        place(frame, objectName, x, y, w, h);
        frame->setFrameShape(shape);
        frame->setFrameShadow(QFrame::Sunken);
        return frame;
    }
    // Section titles: boxed, centred.
    QLabel* makeTitle(const char* objectName, int x, int y) {
        auto* title = new QLabel(widget);
        place(title, objectName, x, y, 100, 30);
        title->setFrameShape(QFrame::Box);
        title->setAlignment(Qt::AlignCenter);
        return title;
    }
    // Row captions: right-aligned.
    QLabel* makeCaption(const char* objectName, int x, int y) {
        auto* caption = new QLabel(widget);
        place(caption, objectName, x, y, 100, 30);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return caption;
    }
    QPushButton* makeButton(const char* objectName, int x, int y, int w, int h) {
        auto* button = new QPushButton(widget);
        place(button, objectName, x, y, w, h);
        return button;
    }
    QComboBox* makeCombo(const char* objectName, int x, int y) {
        auto* box = new QComboBox(widget);
        place(box, objectName, x, y, 200, 20);
        return box;
    }
    QCheckBox* makeCheck(const char* objectName, int x, int y, bool checked) {
        auto* box = new QCheckBox(widget);
        place(box, objectName, x, y, 80, 20);
        box->setChecked(checked);
        return box;
    }
};
