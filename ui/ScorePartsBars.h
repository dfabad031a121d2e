#pragma once

#include <QWidget>
#include <vector>

/// Each pedestrian's part of a score as one horizontal bar per row, largest first, with the
/// pedestrian's number on the left and the value on the right, so that hundreds of pedestrians
/// stay readable in a scrolled list. Pointing at a bar tells its pedestrian and value; clicking
/// it picks that pedestrian.
class ScorePartsBars : public QWidget {
    Q_OBJECT

public:
    explicit ScorePartsBars(QWidget* parent = nullptr);

    /// Shows `parts`, indexed by pedestrian from 0: largest first, parts that are no number last.
    void setParts(const std::vector<float>& parts);
    /// Draws the bars grey, for a score that no longer holds.
    void setStale(bool stale);
    /// Bars shown.
    int rows() const { return static_cast<int>(sorted.size()); }
    /// The pedestrian (from 0) of the bar at `point`, or -1 where there is none.
    int pedestrianAt(const QPoint& point) const;
    /// The middle of the bar of rank `rank` (0 is the largest part).
    QPoint rowCentre(int rank) const;
    /// What pointing at `point` tells ("Pedestrian 17: 0.0123457, rank 3 of 500"), or nothing.
    QString toolTipAt(const QPoint& point) const;
    QSize sizeHint() const override;

signals:
    /// The bar of pedestrian `index` (from 0) was clicked.
    void pedestrianPicked(int index);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Part {
        int pedestrian = 0;
        float value = 0.0f;
    };

    int rowHeight() const;
    /// The rank of the bar at `point`, or -1.
    int rankAt(const QPoint& point) const;
    static QString valueText(float value);

    std::vector<Part> sorted;
    float largest = 0.0f;
    int numberWidth = 0;  ///< of the widest pedestrian number (px)
    int valueWidth = 0;   ///< of the widest value (px)
    bool stale = false;
    int hovered = -1;  ///< rank under the pointer
    int picked = -1;   ///< rank last clicked
};
