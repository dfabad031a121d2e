#include "ui/ScorePartsBars.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {

// Room around texts and between the columns (px).
constexpr int gap = 8;

const QColor freshBar(0, 0, 190);
const QColor staleBar(175, 175, 175);
// The amber in which the view draws the picked pedestrian.
const QColor pickedBar(230, 150, 0);
const QColor hoveredRow(228, 232, 245);

}  // namespace

ScorePartsBars::ScorePartsBars(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

QString ScorePartsBars::valueText(float value) {
    return QString::number(static_cast<double>(value), 'g', 6);
}

void ScorePartsBars::setParts(const std::vector<float>& parts) {
    sorted.clear();
    largest = 0.0f;
    numberWidth = 0;
    valueWidth = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        sorted.push_back(Part{static_cast<int>(i), parts[i]});
        if (std::isfinite(parts[i])) {
            largest = std::max(largest, parts[i]);
        }
        valueWidth = std::max(valueWidth, fontMetrics().horizontalAdvance(valueText(parts[i])));
    }
    // Not-a-number parts compare false with everything; they go last, in pedestrian order.
    std::stable_sort(sorted.begin(), sorted.end(), [](const Part& a, const Part& b) {
        if (std::isnan(a.value) || std::isnan(b.value)) {
            return !std::isnan(a.value) && std::isnan(b.value);
        }
        return a.value > b.value;
    });
    numberWidth = fontMetrics().horizontalAdvance(QString::number(parts.size()));
    hovered = -1;
    picked = -1;
    setMinimumHeight(rows() * rowHeight());
    updateGeometry();
    update();
}

void ScorePartsBars::setStale(bool isStale) {
    if (isStale == stale) {
        return;
    }
    stale = isStale;
    update();
}

int ScorePartsBars::rowHeight() const {
    return fontMetrics().height() + 6;
}

QSize ScorePartsBars::sizeHint() const {
    return QSize(numberWidth + valueWidth + 4 * gap + 240, rows() * rowHeight());
}

int ScorePartsBars::rankAt(const QPoint& point) const {
    if (point.y() < 0 || point.x() < 0 || point.x() >= width()) {
        return -1;
    }
    const int rank = point.y() / rowHeight();
    return rank < rows() ? rank : -1;
}

int ScorePartsBars::pedestrianAt(const QPoint& point) const {
    const int rank = rankAt(point);
    return rank >= 0 ? sorted[static_cast<size_t>(rank)].pedestrian : -1;
}

QPoint ScorePartsBars::rowCentre(int rank) const {
    return QPoint(width() / 2, rank * rowHeight() + rowHeight() / 2);
}

QString ScorePartsBars::toolTipAt(const QPoint& point) const {
    const int rank = rankAt(point);
    if (rank < 0) {
        return QString();
    }
    const Part& part = sorted[static_cast<size_t>(rank)];
    return QString("Pedestrian %1: %2, rank %3 of %4")
        .arg(part.pedestrian + 1)
        .arg(valueText(part.value))
        .arg(rank + 1)
        .arg(rows());
}

bool ScorePartsBars::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    return QWidget::event(event);
}

void ScorePartsBars::mousePressEvent(QMouseEvent* event) {
    const int rank = rankAt(event->pos());
    if (event->button() != Qt::LeftButton || rank < 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    picked = rank;
    update();
    emit pedestrianPicked(sorted[static_cast<size_t>(rank)].pedestrian);
}

void ScorePartsBars::mouseMoveEvent(QMouseEvent* event) {
    const int rank = rankAt(event->pos());
    if (rank != hovered) {
        hovered = rank;
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void ScorePartsBars::leaveEvent(QEvent* event) {
    hovered = -1;
    update();
    QWidget::leaveEvent(event);
}

void ScorePartsBars::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const int height = rowHeight();
    const int barLeft = gap + numberWidth + gap;
    const int valueLeft = width() - gap - valueWidth;
    const int barRoom = std::max(1, valueLeft - gap - barLeft);
    // Only the rows in sight are drawn: a list of thousands scrolls as fast as one of ten.
    const int first = std::max(0, event->rect().top() / height);
    const int last = std::min(rows() - 1, event->rect().bottom() / height);
    for (int rank = first; rank <= last; ++rank) {
        const Part& part = sorted[static_cast<size_t>(rank)];
        const QRect row(0, rank * height, width(), height);
        if (rank == hovered) {
            painter.fillRect(row, hoveredRow);
        }
        painter.setPen(stale ? palette().color(QPalette::Disabled, QPalette::Text)
                             : palette().color(QPalette::Text));
        painter.drawText(QRect(gap, row.top(), numberWidth, height),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(part.pedestrian + 1));
        painter.drawText(QRect(valueLeft, row.top(), valueWidth, height),
                         Qt::AlignRight | Qt::AlignVCenter, valueText(part.value));
        if (std::isfinite(part.value) && part.value > 0.0f && largest > 0.0f) {
            const int length =
                std::max(1, static_cast<int>(std::lround(part.value / largest * barRoom)));
            const QColor colour = rank == picked ? pickedBar : stale ? staleBar : freshBar;
            painter.fillRect(QRect(barLeft, row.top() + 3, length, height - 6), colour);
        }
    }
}
