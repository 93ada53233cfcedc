#include "analysis/history.h"

#include "analysis/debrief.h"
#include "analysis/steadiness.h"

#include <QCoreApplication>

#include <cmath>

namespace {

struct HistoryTexts {
    Q_DECLARE_TR_FUNCTIONS(History)
};

// A change a series smaller than these is no trend: a point of the total,
// a tenth of a ring width of the mean radius.
constexpr double kTotalSteady = 0.5;
constexpr double kRadiusSteady = 0.1;
constexpr double kShareSteady = 0.02; // two percent of the second

} // namespace

double Slope(const QList<double> &values)
{
    const int n = int(values.size());
    if (n < 2)
        return 0;
    double meanX = (n - 1) / 2.0, meanY = 0;
    for (double v : values)
        meanY += v;
    meanY /= n;
    double num = 0, den = 0;
    for (int i = 0; i < n; ++i) {
        num += (i - meanX) * (values[i] - meanY);
        den += (i - meanX) * (i - meanX);
    }
    return num / den;
}

QStringList TrendWords(const QList<HistoryRow> &rows)
{
    if (rows.size() < 2)
        return {};
    QList<double> totals, radii;
    for (const HistoryRow &r : rows) {
        totals << r.total;
        radii << r.meanRadiusRings;
    }
    const double totalSlope = Slope(totals), radiusSlope = Slope(radii);
    const QString signedSlope = (totalSlope > 0 ? QStringLiteral("+") : QStringLiteral("\u2212"))
                                + Decimal(std::abs(totalSlope));
    QStringList words;
    words << (std::abs(totalSlope) < kTotalSteady
                  ? HistoryTexts::tr("Сумма: %1 → %2, держится ровно.").arg(rows.first().total).arg(rows.last().total)
                  : HistoryTexts::tr("Сумма: %1 → %2, %3 (%4 за серию).")
                        .arg(rows.first().total)
                        .arg(rows.last().total)
                        .arg(totalSlope > 0 ? HistoryTexts::tr("растёт") : HistoryTexts::tr("падает"), signedSlope));
    words << (std::abs(radiusSlope) < kRadiusSteady
                  ? HistoryTexts::tr("Средний радиус: %1 → %2, кучность прежняя.")
                        .arg(Decimal(rows.first().meanRadiusRings), Decimal(rows.last().meanRadiusRings))
                  : HistoryTexts::tr("Средний радиус: %1 → %2, группа %3.")
                        .arg(Decimal(rows.first().meanRadiusRings), Decimal(rows.last().meanRadiusRings),
                             radiusSlope < 0 ? HistoryTexts::tr("становится кучнее")
                                             : HistoryTexts::tr("расползается")));
    QList<double> tens;
    for (const HistoryRow &r : rows)
        if (r.inTen >= 0)
            tens << r.inTen;
    if (tens.size() == rows.size()) {
        const double tenSlope = Slope(tens);
        words << (std::abs(tenSlope) < kShareSteady
                      ? HistoryTexts::tr("В 10: %1% → %2% последней секунды, удержание прежнее.")
                            .arg(Percent(tens.first())).arg(Percent(tens.last()))
                      : HistoryTexts::tr("В 10: %1% → %2% последней секунды, удержание %3.")
                            .arg(Percent(tens.first()))
                            .arg(Percent(tens.last()))
                            .arg(tenSlope > 0 ? HistoryTexts::tr("крепнет") : HistoryTexts::tr("слабеет")));
    }
    return words;
}
