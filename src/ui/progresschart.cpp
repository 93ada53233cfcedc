#include "ui/progresschart.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QTimeZone>

#include <limits>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTotalTop = 50; // five shots of 10
constexpr int kGridSteps = 5;    // both axes, so their grid lines are one

const QColor kTotalInk(0, 90, 200);
const QColor kTotalAverageInk(0, 50, 140);
const QColor kRadiusInk(215, 95, 0);
const QColor kRadiusAverageInk(160, 55, 0);

// Where the values of a line go in the plot: series i at x, a value at y
// from 0 at the bottom to top at the top.
struct Axes {
    QRectF plot;               // the axes' box
    double left = 0, step = 0; // x of the first series, and between two

    double X(int i) const { return left + i * step; }
    double Y(double value, double top) const { return plot.bottom() - value / top * plot.height(); }
};

// Closer together than this (pixels), series are drawn by pixel columns.
constexpr double kDenseStep = 2;

// A line through the values, width wide. Spread out, it is a polyline,
// stroked a few segments at a time: the raster engine takes time growing
// with the square of a long zigzag's length. Denser than a series every two
// pixels, each pixel column gets one bar from the lowest to the highest
// value that falls in it, reaching back to the last value of the column
// before: it covers what the line would, at the cost of a rectangle.
void drawValues(QPainter &painter, const QList<double> &values, const Axes &axes, double top, const QColor &ink,
                double width, double pixel)
{
    const int n = int(values.size());
    auto y = [&](int i) { return axes.Y(values[i], top); };
    painter.save();
    if (n < 2 || axes.step >= kDenseStep) {
        painter.setPen(QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        constexpr int kSegments = 4;
        QPointF piece[kSegments + 1];
        for (int from = 0; from + 1 < n; from += kSegments) {
            const int count = std::min(kSegments + 1, n - from);
            for (int k = 0; k < count; ++k)
                piece[k] = QPointF(axes.X(from + k), y(from + k));
            painter.drawPolyline(piece, count);
        }
    } else {
        QList<QRectF> bars;
        bars.reserve(int(axes.plot.width() / pixel) + 2);
        double column = std::floor(axes.X(0) / pixel);
        double least = y(0), most = least; // y grows downwards
        for (int i = 0; i < n; ++i) {
            const double c = std::floor(axes.X(i) / pixel), v = y(i);
            if (c != column) {
                bars << QRectF(column * pixel, least - width / 2, pixel, most - least + width);
                column = c;
                least = most = y(i - 1);
            }
            least = std::min(least, v);
            most = std::max(most, v);
        }
        bars << QRectF(column * pixel, least - width / 2, pixel, most - least + width);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawRects(bars);
    }
    painter.restore();
}

// A round step for an axis: one of the multiples times a power of ten, the
// least at or above atLeast.
double roundStep(double atLeast, std::initializer_list<double> multiples)
{
    if (!(atLeast > 0) || !std::isfinite(atLeast))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(atLeast)));
    for (double m : multiples)
        if (m * power >= atLeast * (1 - 1e-12))
            return m * power;
    return 10 * power;
}
// Radii: steps a reader adds up at a glance, fine enough that the largest
// fills most of the height.
double radiusStep(double atLeast) { return roundStep(atLeast, {1, 1.5, 2, 2.5, 3, 4, 5, 6, 8}); }
// Series numbers: 1, 2, 5, 10, 20...
int numberStep(double atLeast) { return int(std::lround(roundStep(std::max(1.0, atLeast), {1, 2, 5}))); }

// An axis label: as many decimals as the step needs, a decimal comma.
QString axisLabel(double value, double step)
{
    int decimals = 0;
    while (decimals < 3 && std::abs(step * std::pow(10.0, decimals) - std::round(step * std::pow(10.0, decimals))) > 1e-6)
        ++decimals;
    QLocale russian(QLocale::Russian);
    russian.setNumberOptions(QLocale::OmitGroupSeparator);
    return russian.toString(value, 'f', decimals);
}

} // namespace

TProgressChart::TProgressChart(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QList<double> TProgressChart::MovingAverage(const QList<double> &values, int window)
{
    window = std::max(1, window);
    QList<double> averages;
    averages.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        // Summed afresh each time: no error creeps along a long journal.
        const qsizetype from = std::max<qsizetype>(0, i + 1 - window);
        double sum = 0;
        for (qsizetype j = from; j <= i; ++j)
            sum += values[j];
        averages << sum / double(i + 1 - from);
    }
    return averages;
}

void TProgressChart::SetPoints(const QList<Point> &points)
{
    FPoints = points;
    FTotals.clear();
    FRadii.clear();
    FNewDays.clear();
    double largest = 0;
    QDate day;
    // The local time's offset, looked up again only where the time zone
    // changes it (summer time): converting every point to local time would
    // cost more than all the rest.
    const QTimeZone zone = QTimeZone::systemTimeZone();
    qint64 offsetFrom = std::numeric_limits<qint64>::max(), offsetUntil = std::numeric_limits<qint64>::min();
    qint64 offsetMs = 0;
    for (int i = 0; i < points.size(); ++i) {
        const Point &p = points[i];
        const double radius = std::isfinite(p.meanRadiusRings) ? std::max(0.0, p.meanRadiusRings) : 0.0;
        FTotals << p.total;
        FRadii << radius;
        largest = std::max(largest, radius);
        if (p.when.isValid()) {
            const qint64 ms = p.when.toMSecsSinceEpoch();
            if (ms < offsetFrom || ms >= offsetUntil) {
                offsetMs = qint64(zone.offsetFromUtc(p.when)) * 1000;
                const QTimeZone::OffsetData next = zone.nextTransition(p.when);
                offsetFrom = ms;
                offsetUntil = next.atUtc.isValid() ? next.atUtc.toMSecsSinceEpoch() : std::numeric_limits<qint64>::max();
            }
            const QDate today = QDate(1970, 1, 1).addDays((ms + offsetMs) / 86400000 - ((ms + offsetMs) % 86400000 < 0));
            if (today != day)
                FNewDays << i;
            day = today;
        }
    }
    FTotalsAverage = MovingAverage(FTotals, kAverageWindow);
    FRadiiAverage = MovingAverage(FRadii, kAverageWindow);
    FRadiusTop = largest > 0 ? kGridSteps * radiusStep(largest / kGridSteps) : 1;
    update();
}

// The thin line through the series: lighter than its dots, but opaque, so
// that where two pieces of it meet there is no darker spot.
QColor TProgressChart::thinInk(const QColor &ink) const
{
    const QColor paper = palette().color(QPalette::Base);
    auto mix = [](float a, float b) { return 0.35f * a + 0.65f * b; };
    return QColor::fromRgbF(mix(paper.redF(), ink.redF()), mix(paper.greenF(), ink.greenF()),
                            mix(paper.blueF(), ink.blueF()));
}

QSize TProgressChart::sizeHint() const
{
    // Wide enough for the legend in one row.
    const QFontMetricsF fm(font());
    double width = fm.averageCharWidth() * 60;
    while (legend(nullptr, 0, width) > fm.height())
        width += fm.averageCharWidth() * 5;
    return QSize(int(std::ceil(width)), int(fm.height() * 18));
}

QSize TProgressChart::minimumSizeHint() const
{
    const QFontMetricsF fm(font());
    return QSize(int(fm.averageCharWidth() * 40), int(fm.height() * 9));
}

// The legend's items in a row, flowing on to the next where the width ends;
// painted when there is a painter, measured always. Returns its height.
double TProgressChart::legend(QPainter *painter, double top, double width) const
{
    const QFontMetricsF fm(font());
    const double line = fm.height();
    const double thin = std::max(1.0, line / 14), bold = 3 * thin, dot = std::max(1.5, line * 0.2);
    const double sample = 2.2 * line; // the length of a line in the legend
    const double start = line / 2;
    struct Item {
        QString text;
        QColor ink, second; // a thin line with a dot, or a bold one in two colours
    };
    const Item items[] = {{tr("Сумма"), kTotalInk, QColor()},
                          {tr("Средний радиус"), kRadiusInk, QColor()},
                          {tr("скользящее среднее по %1").arg(kAverageWindow), kTotalAverageInk,
                           kRadiusAverageInk}};
    double x = start, y = top;
    for (const Item &item : items) {
        const double itemWidth = sample + line / 3 + fm.horizontalAdvance(item.text);
        if (x > start && x + itemWidth > width - start) {
            x = start;
            y += line;
        }
        if (painter) {
            const double middle = y + line / 2;
            if (!item.second.isValid()) {
                painter->setPen(QPen(thinInk(item.ink), thin));
                painter->drawLine(QPointF(x, middle), QPointF(x + sample, middle));
                painter->setPen(Qt::NoPen);
                painter->setBrush(item.ink);
                painter->drawEllipse(QPointF(x + sample / 2, middle), dot, dot);
            } else {
                painter->setPen(QPen(item.ink, bold, Qt::SolidLine, Qt::FlatCap));
                painter->drawLine(QPointF(x, middle), QPointF(x + sample / 2, middle));
                painter->setPen(QPen(item.second, bold, Qt::SolidLine, Qt::FlatCap));
                painter->drawLine(QPointF(x + sample / 2, middle), QPointF(x + sample, middle));
            }
            painter->setPen(palette().color(QPalette::Text));
            painter->drawText(QPointF(x + sample + line / 3, y + fm.ascent()), item.text);
        }
        x += itemWidth + 1.5 * line;
    }
    return y + line - top;
}

void TProgressChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), palette().base());

    const QFontMetricsF fm(font());
    const double line = fm.height();
    const double pad = line / 2;
    const double thin = std::max(1.0, line / 14), bold = 3 * thin, dot = std::max(1.5, line * 0.2);
    const QColor text = palette().color(QPalette::Text);
    const QColor grid = palette().color(QPalette::Mid);

    const double legendHeight = legend(&painter, pad, width());

    // The axes' labels: totals to the left, radii to the right, series
    // numbers and a few dates below.
    const double radiusGrid = FRadiusTop / kGridSteps;
    double rightLabels = 0;
    for (int k = 0; k <= kGridSteps; ++k)
        rightLabels = std::max(rightLabels, fm.horizontalAdvance(axisLabel(k * radiusGrid, radiusGrid)));
    const QString leftUnit = tr("очки"), rightUnit = tr("ширины кольца");
    const double tick = pad / 2;
    const double left = pad + fm.horizontalAdvance(QStringLiteral("50")) + tick + pad / 2;
    const double right = pad + rightLabels + tick + pad / 2;
    const double top = pad + legendHeight + pad + line + pad; // the legend, then the axes' units
    const double bottom = tick + 2 * line + pad;
    const QRectF plot(left, top, width() - left - right, height() - top - bottom);
    if (plot.width() < 4 || plot.height() < 4)
        return;

    painter.setPen(text);
    const QRectF units(pad / 2, top - pad - line, width() - pad, line);
    painter.drawText(units, Qt::AlignLeft | Qt::AlignVCenter, leftUnit);
    painter.drawText(units, Qt::AlignRight | Qt::AlignVCenter, rightUnit);
    for (int k = 0; k <= kGridSteps; ++k) {
        const double y = plot.bottom() - k * plot.height() / kGridSteps;
        painter.setPen(QPen(k == 0 ? text : grid, thin / 2 + (k == 0 ? thin / 2 : 0)));
        painter.drawLine(QPointF(plot.left() - tick, y), QPointF(plot.right() + tick, y));
        painter.setPen(text);
        painter.drawText(QRectF(0, y - line / 2, plot.left() - tick - pad / 4, line),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(k * int(kTotalTop) / kGridSteps));
        painter.drawText(QRectF(plot.right() + tick + pad / 4, y - line / 2, right, line),
                         Qt::AlignLeft | Qt::AlignVCenter, axisLabel(k * radiusGrid, radiusGrid));
    }
    painter.setPen(QPen(text, thin));
    painter.drawLine(plot.topLeft(), plot.bottomLeft());
    painter.drawLine(plot.topRight(), plot.bottomRight());

    const int n = int(FPoints.size());
    if (n == 0) {
        painter.setPen(grid.darker(130));
        painter.drawText(plot, Qt::AlignCenter, tr("Серий пока нет"));
        return;
    }

    // Series along x, a little in from either axis.
    Axes axes;
    const double inset = std::min(3 * dot, plot.width() / 4);
    axes.plot = plot;
    axes.step = n > 1 ? (plot.width() - 2 * inset) / (n - 1) : 0;
    axes.left = n > 1 ? plot.left() + inset : plot.center().x();

    // Series numbers: 1, then round steps far enough apart to read.
    const double numberRoom = fm.horizontalAdvance(QString::number(n)) + line;
    const double labelsTop = plot.bottom() + tick;
    const int numbersEvery = n > 1 ? numberStep(numberRoom / axes.step) : 1;
    auto numberAt = [&](int series) {
        const double x = axes.X(series - 1);
        painter.setPen(QPen(text, thin));
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, labelsTop));
        painter.drawText(QRectF(x - numberRoom, labelsTop, 2 * numberRoom, line), Qt::AlignHCenter | Qt::AlignTop,
                         QString::number(series));
    };
    numberAt(1);
    for (int series = numbersEvery; series <= n; series += numbersEvery)
        if (series > 1 && axes.X(series - 1) - axes.X(0) >= numberRoom)
            numberAt(series);
    painter.setPen(grid.darker(130));
    painter.drawText(QRectF(0, labelsTop, plot.left() - pad / 4, line), Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral("№"));

    // Dates where a new day begins, as many as have room (digits are all
    // of a width: only the dates drawn are written out).
    double dateEnd = -1e9;
    const double dateWidth = fm.horizontalAdvance(QStringLiteral("00.00.00"));
    for (int i : std::as_const(FNewDays)) {
        const double x = std::clamp(axes.X(i) - dateWidth / 2, 0.0, width() - dateWidth);
        if (x < dateEnd + line)
            continue;
        const QString date = FPoints[i].when.toLocalTime().toString(QStringLiteral("dd.MM.yy"));
        const double w = fm.horizontalAdvance(date);
        painter.setPen(grid.darker(150));
        painter.drawText(QPointF(x, labelsTop + line + fm.ascent()), date);
        dateEnd = x + w;
    }

    // The lines: thin through the series, bold through their averages.
    painter.save();
    painter.setClipRect(plot.adjusted(-dot, -dot - bold, dot, dot + bold));
    const double pixel = 1 / devicePixelRatioF();
    const bool dots = n == 1 || axes.step >= 4 * dot;
    struct Line {
        const QList<double> &values, &averages;
        double top;
        QColor ink, averageInk;
    };
    const Line lines[] = {{FTotals, FTotalsAverage, kTotalTop, kTotalInk, kTotalAverageInk},
                          {FRadii, FRadiiAverage, FRadiusTop, kRadiusInk, kRadiusAverageInk}};
    for (const Line &l : lines) {
        drawValues(painter, l.values, axes, l.top, thinInk(l.ink), thin, pixel);
        if (dots) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(l.ink);
            for (int i = 0; i < n; ++i)
                painter.drawEllipse(QPointF(axes.X(i), axes.Y(l.values[i], l.top)), dot, dot);
        }
    }
    for (const Line &l : lines)
        drawValues(painter, l.averages, axes, l.top, l.averageInk, bold, pixel);
    painter.restore();
}
