#pragma once

#include <QDateTime>
#include <QString>

/// Names a calibration run wherever it is shown or kept: model, algorithm, experiment file and
/// the time the run started, so that windows and pictures of different runs tell them apart.
class RunCaption {
public:
    RunCaption() = default;
    /// `experiment` is the experiment's file name or path; only the file name is shown.
    RunCaption(const QString& model, const QString& algorithm, const QString& experiment,
               const QDateTime& started);

    /// "Greedy calibrating Boids on crossing-flows.ana, 2024-05-03 14:07:09".
    QString text() const;
    /// A file name without extension that sorts by time:
    /// "Boids-Greedy-crossing-flows-20240503-140709".
    QString fileStem() const;

private:
    QString model;
    QString algorithm;
    QString experimentFile;
    QDateTime started;
};
