#include "ui/AnalysisImages.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QString>
#include <QtCharts/QChart>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/AtomicFile.h"
#include "ui/AnalysisCharts.h"

namespace {

// Pixels of one chart: room for seven labelled ticks per axis and a legend of four series.
const QSize chartSize(1000, 700);

bool writePng(const QImage& image, const std::string& path, std::string& error) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    AtomicFile out(path);
    if (out.stream()) {
        std::fwrite(png.constData(), 1, static_cast<size_t>(png.size()), out.stream());
    }
    if (!out.commit()) {
        error = out.errorMessage();
        return false;
    }
    return true;
}

bool writeCharts(std::vector<std::unique_ptr<QtCharts::QChart>> charts, const std::string& folder,
                 const char* name, std::string& error) {
    const QSize size(chartSize.width() * static_cast<int>(charts.size()), chartSize.height());
    const QString path = QDir(QString::fromStdString(folder)).filePath(name);
    return writePng(AnalysisCharts::drawSideBySide(std::move(charts), size), path.toStdString(),
                    error);
}

}  // namespace

bool writeAnalysisImages(const CrowdAnalysis& measured, const CrowdAnalysis* simulated,
                         const std::string& folder, std::string& error) {
    const ChartedCrowds crowds{&measured, simulated};
    std::vector<std::unique_ptr<QtCharts::QChart>> diagram;
    diagram.push_back(AnalysisCharts::densitySpeed(crowds));
    diagram.push_back(AnalysisCharts::densityFlow(crowds));
    std::vector<std::unique_ptr<QtCharts::QChart>> density;
    density.push_back(AnalysisCharts::densityOverTime(crowds));
    if (!writeCharts(std::move(diagram), folder, "fundamental_diagram.png", error) ||
        !writeCharts(std::move(density), folder, "density_time.png", error)) {
        return false;
    }
    std::vector<std::unique_ptr<QtCharts::QChart>> crossings;
    crossings.push_back(AnalysisCharts::crossingsOverTime(crowds));
    return !crossings.front() || writeCharts(std::move(crossings), folder, "nt.png", error);
}
