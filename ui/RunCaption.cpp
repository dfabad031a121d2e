#include "ui/RunCaption.h"

#include <QFileInfo>
#include <QRegularExpression>

RunCaption::RunCaption(const QString& modelName, const QString& algorithmName,
                       const QString& experiment, const QDateTime& start)
    : model(modelName),
      algorithm(algorithmName),
      experimentFile(QFileInfo(experiment).fileName()),
      started(start) {}

QString RunCaption::text() const {
    return QString("%1 calibrating %2 on %3, %4")
        .arg(algorithm, model, experimentFile, started.toString("yyyy-MM-dd hh:mm:ss"));
}

QString RunCaption::fileStem() const {
    // Blanks ("Simulated Annealing") and characters that some file systems refuse become dashes.
    const QRegularExpression unsafe("[^A-Za-z0-9._-]+");
    QStringList parts;
    for (const QString& part : {model, algorithm, QFileInfo(experimentFile).completeBaseName()}) {
        parts << QString(part).replace(unsafe, "-");
    }
    parts << started.toString("yyyyMMdd-hhmmss");
    return parts.join('-');
}
