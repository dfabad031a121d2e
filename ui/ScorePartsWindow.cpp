#include "ui/ScorePartsWindow.h"

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/ScorePartsBars.h"

namespace {

// The window's size when it opens (px): the bars of two dozen pedestrians.
constexpr int defaultWidth = 460;
constexpr int defaultHeight = 520;

}  // namespace

ScorePartsWindow::ScorePartsWindow() : QWidget(nullptr) {
    setWindowTitle("Score per pedestrian");
    auto* layout = new QVBoxLayout(this);
    heading = new QLabel;
    heading->setWordWrap(true);
    layout->addWidget(heading);
    note = new QLabel;
    note->setObjectName("notice");
    note->setWordWrap(true);
    note->setStyleSheet("color: rgb(170, 60, 0);");
    note->hide();
    layout->addWidget(note);
    partsList = new ScorePartsBars;
    connect(partsList, &ScorePartsBars::pedestrianPicked, this,
            &ScorePartsWindow::pedestrianPicked);
    scroller = new QScrollArea;
    scroller->setWidget(partsList);
    scroller->setWidgetResizable(true);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(scroller);
    resize(defaultWidth, defaultHeight);
}

void ScorePartsWindow::showParts(const std::vector<float>& parts, const QString& metric) {
    heading->setText(QString("%1: each pedestrian's part of the score, largest first, %2 "
                             "pedestrians. Point at a bar for its pedestrian; click it to show "
                             "the pedestrian in the view.")
                         .arg(metric)
                         .arg(parts.size()));
    partsList->setParts(parts);
    partsList->setStale(false);
    stale = false;
    setNotice(QString());
    // A window about to open fits a small scene; a large one scrolls within the default height.
    if (!isVisible()) {
        resize(width(), std::min(defaultHeight, sizeHint().height()));
    }
}

void ScorePartsWindow::clear(const QString& reason) {
    heading->setText("No parts to show.");
    partsList->setParts({});
    stale = false;
    setNotice(reason);
}

void ScorePartsWindow::markStale(const QString& reason) {
    if (bars() == 0) {
        return;
    }
    partsList->setStale(true);
    stale = true;
    setNotice(reason);
}

int ScorePartsWindow::bars() const {
    return partsList->rows();
}

QString ScorePartsWindow::notice() const {
    return note->text();
}

void ScorePartsWindow::setNotice(const QString& text) {
    note->setText(text);
    note->setVisible(!text.isEmpty());
}
