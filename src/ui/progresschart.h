#pragma once

#include <QDateTime>
#include <QList>
#include <QWidget>

class QPainter;

// How the learner goes on, series after series: the total (left axis, 0 to
// 50) and the mean radius in ring widths (right axis), each series a dot and
// the dots joined by a thin line, the moving average over five series bold
// on top. Drawn as vectors, its sizes from the font: crisp at any size.
// However many series there are, a pixel column draws at most two points of
// a line (the lowest and highest of those it holds), so even years of
// series paint at once.
class TProgressChart : public QWidget
{
    Q_OBJECT
public:
    explicit TProgressChart(QWidget *parent = nullptr);

    struct Point {
        QDateTime when;
        int total = 0;
        double meanRadiusRings = 0;
    };
    // In firing order; a radius that is no number is drawn as 0.
    void SetPoints(const QList<Point> &points);
    const QList<Point> &Points() const { return FPoints; }

    static constexpr int kAverageWindow = 5;
    // For each index the mean of the last window values up to it; the first
    // ones, with fewer before them, the mean of those there are. A window
    // under 1 counts as 1.
    static QList<double> MovingAverage(const QList<double> &values, int window);
    // The top of the right axis: five round steps (1, 1,5, 2, 2,5, 3, 4, 5, 6
    // or 8 times a power of ten), at or above the largest radius; 1 with none.
    double RadiusAxisTop() const { return FRadiusTop; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double legend(QPainter *painter, double top, double width) const;
    QColor thinInk(const QColor &ink) const;

    QList<Point> FPoints;
    QList<double> FTotals, FRadii;             // as drawn
    QList<double> FTotalsAverage, FRadiiAverage;
    QList<int> FNewDays;                       // where a new local day begins
    double FRadiusTop = 1;
};
