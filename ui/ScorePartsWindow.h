#pragma once

#include <QWidget>
#include <vector>

class QLabel;
class QScrollArea;
class ScorePartsBars;

/// Each pedestrian's part of an evaluation's score, for a metric that is a sum over pedestrians:
/// one bar each, largest first, in a list that scrolls, so that the pedestrians the model gets
/// wrong stand out even among hundreds. Clicking a bar picks that pedestrian, so that the view
/// can show which one it is. When the score no longer holds, the window says so.
class ScorePartsWindow : public QWidget {
    Q_OBJECT

public:
    ScorePartsWindow();
    /// Shows the parts of an evaluation with `metric`.
    void showParts(const std::vector<float>& parts, const QString& metric);
    /// Removes the bars and shows `reason` instead.
    void clear(const QString& reason);
    /// Keeps the bars, grey, under `reason`, which says why they no longer hold.
    void markStale(const QString& reason);
    /// True after markStale, until parts are shown again.
    bool isStale() const { return stale; }
    /// Bars shown now.
    int bars() const;
    /// Why the parts are out of date or gone; empty while they hold.
    QString notice() const;
    /// The bars, to point at.
    ScorePartsBars& partsBars() const { return *partsList; }

signals:
    /// The bar of pedestrian `index` (from 0) was clicked.
    void pedestrianPicked(int index);

private:
    void setNotice(const QString& text);

    QLabel* heading = nullptr;
    QLabel* note = nullptr;
    QScrollArea* scroller = nullptr;
    ScorePartsBars* partsList = nullptr;
    bool stale = false;
};
