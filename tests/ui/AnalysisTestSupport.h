#pragma once

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStringList>
#include <QtCharts/QChart>
#include <QtCharts/QXYSeries>
#include <map>
#include <tuple>
#include <vector>

#include "analysis/CrowdFrames.h"
#include "ui/AnalysisWindow.h"

// 21 frames 0.1 s apart of pedestrians walking at 0.9 m/s along y = const:
//   0: from (0, 1) to the right, frames 0–20, crosses x = 1 left to right;
//   1: from (1.05, 2) to the right, frames 5–15, never crosses x = 1 (with `middle` only);
//   2: from (2, 1.5) to the left, frames 0–20, crosses x = 1 right to left.
// Everybody stays within x 0 to 2, y 1 to 2.
inline CrowdFrames threeWalkers(bool middle) {
    std::vector<double> times;
    for (int k = 0; k < 21; ++k) {
        times.push_back(0.1 * k);
    }
    std::vector<CrowdTrack> tracks;
    for (const auto& [id, first, samples, x, y, dx] :
         {std::tuple{0, 0, 21, 0.0, 1.0, 0.09}, std::tuple{1, 5, 11, 1.05, 2.0, 0.09},
          std::tuple{2, 0, 21, 2.0, 1.5, -0.09}}) {
        if (id != 1 || middle) {
            tracks.push_back(CrowdTrack{id, first, {}, {}});
            for (int s = 0; s < samples; ++s) {
                tracks.back().x.push_back(x + dx * s);
                tracks.back().y.push_back(y);
            }
        }
    }
    return CrowdFrames(times, tracks);
}

// The points of each series of a chart, "name count" by name, joined by "; "; empty for no
// chart.
inline QString seriesPoints(const QtCharts::QChart* chart) {
    std::map<QString, int> points;
    for (QtCharts::QAbstractSeries* series :
         chart ? chart->series() : decltype(chart->series())()) {
        points[series->name()] = static_cast<QtCharts::QXYSeries*>(series)->count();
    }
    QStringList texts;
    for (const auto& [name, count] : points) {
        texts << name + " " + QString::number(count);
    }
    return texts.join("; ");
}

// Returns once the window's charts show its last change.
inline void settle(AnalysisWindow& window) {
    if (window.isMeasuring()) {
        QSignalSpy shown(&window, &AnalysisWindow::measurementShown);
        ASSERT_TRUE(shown.wait(20000));
    }
}
