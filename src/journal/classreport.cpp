#include "journal/classreport.h"

#include "journal/journalstore.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {

struct ReportTexts {
    Q_DECLARE_TR_FUNCTIONS(ClassReport)
};

// An instant as the server reads it, bound as text and cast there.
QString instant(const QDateTime &when) { return when.toUTC().toString(Qt::ISODateWithMs); }

// The series of the query's class and days: the condition, and its values in
// the order of its placeholders.
const char *const kSeriesOfDays = "s.class = ? AND s.fired_at >= CAST(? AS timestamptz)"
                                  " AND s.fired_at < CAST(? AS timestamptz) AND (? OR s.exercise = ?)";

QVariantList seriesOfDays(const ClassDayQuery &query)
{
    return {query.klass, instant(query.Start()), instant(query.End()), !query.exercise.has_value(),
            query.exercise.value_or(QString(QLatin1String("")))};
}

// An instant read back: the milliseconds since the epoch the statements
// give (never the driver's reading of a time zone).
const char *const kEpochMs = "(extract(epoch FROM %1) * 1000)::bigint";
QString epochMs(const char *column) { return QString::fromLatin1(kEpochMs).arg(QLatin1String(column)); }
QDateTime fromEpochMs(const QVariant &v) { return v.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(v.toLongLong(), Qt::UTC); }

std::optional<double> optionalDouble(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toDouble();
}

// Runs a prepared statement with its values; false with the server's first
// line.
bool run(QSqlQuery &q, const QString &sql, const QVariantList &values, QString *reason)
{
    q.setForwardOnly(true);
    if (q.prepare(sql)) {
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (q.exec())
            return true;
    }
    if (reason) {
        QString text = q.lastError().databaseText().trimmed();
        if (text.isEmpty())
            text = q.lastError().driverText().trimmed();
        text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
        for (const char *prefix : {"FATAL:", "ERROR:"})
            if (text.startsWith(QLatin1String(prefix)))
                text = text.mid(int(qstrlen(prefix))).trimmed();
        *reason = text.isEmpty() ? ReportTexts::tr("нет соединения с сервером") : text;
    }
    return false;
}

} // namespace

QDateTime ClassDayQuery::Start() const { return from.startOfDay().toUTC(); }

QDateTime ClassDayQuery::End() const { return to.addDays(1).startOfDay().toUTC(); }

ClassReport::ClassReport(QSqlDatabase db) : FDb(std::move(db)) {}

QDate ClassReport::WeekStart(const QDate &day) { return day.addDays(1 - day.dayOfWeek()); }

QString ClassReport::DaySql()
{
    // Everyone on the roster, then anyone else who fired in the days; each
    // with their series' figures (none: the aggregates are NULL).
    return QStringLiteral("WITH s AS (SELECT s.shooter, s.total, s.fired_at, s.filed_at,"
                          "  s.mean_radius / NULLIF(s.ring_width, 0) AS radius, s.in_ten, s.in_nine, s.hold_area"
                          "  FROM vimbra.series s WHERE %1),"
                          " n AS (SELECT l.name, true AS on_roster FROM vimbra.learner l WHERE l.class = ?"
                          "  UNION ALL SELECT DISTINCT s.shooter, false FROM s WHERE NOT EXISTS"
                          "   (SELECT FROM vimbra.learner l WHERE l.class = ? AND l.name = s.shooter))"
                          " SELECT n.name, n.on_roster, count(s.shooter), max(s.total),"
                          "  (array_agg(s.total ORDER BY s.fired_at DESC, s.filed_at DESC))[1], %2,"
                          "  avg(s.radius), avg(s.in_ten), avg(s.in_nine), avg(s.hold_area)"
                          " FROM n LEFT JOIN s ON s.shooter = n.name"
                          " GROUP BY n.name, n.on_roster ORDER BY n.name")
        .arg(QLatin1String(kSeriesOfDays), epochMs("max(s.fired_at)"));
}

QVariantList ClassReport::DayValues(const ClassDayQuery &query)
{
    return seriesOfDays(query) + QVariantList{query.klass, query.klass};
}

std::optional<QList<ClassDayRow>> ClassReport::Day(const ClassDayQuery &query, QString *reason) const
{
    QSqlQuery q(FDb);
    if (!run(q, DaySql(), DayValues(query), reason))
        return std::nullopt;
    QList<ClassDayRow> rows;
    while (q.next()) {
        ClassDayRow row;
        row.name = q.value(0).toString();
        row.onRoster = q.value(1).toBool();
        row.series = q.value(2).toInt();
        if (row.series > 0) {
            row.best = q.value(3).toInt();
            row.last = q.value(4).toInt();
            row.lastAt = fromEpochMs(q.value(5));
        }
        row.meanRadiusRings = optionalDouble(q.value(6));
        row.inTen = optionalDouble(q.value(7));
        row.inNine = optionalDouble(q.value(8));
        row.holdRings = optionalDouble(q.value(9));
        rows << row;
    }
    return rows;
}

std::optional<QList<ClassWeek>> ClassReport::Weeks(const QString &klass, const std::optional<QString> &exercise,
                                                   const QDate &upTo, int weeks, QString *reason) const
{
    weeks = std::max(1, weeks);
    // Each week's bounds in local time, found here (a week across a change of
    // the clocks is an hour shorter or longer); the server puts each series
    // in its week by them.
    const QDate first = WeekStart(upTo).addDays(-7 * (weeks - 1));
    QStringList bounds;
    QList<ClassWeek> result;
    for (int w = 0; w <= weeks; ++w) {
        const QDate monday = first.addDays(7 * w);
        bounds << QLatin1Char('"') + instant(monday.startOfDay()) + QLatin1Char('"');
        if (w < weeks)
            result << ClassWeek{monday, 0, 0, std::nullopt};
    }
    ClassDayQuery range{klass, first, first.addDays(7 * weeks - 1), exercise};
    QSqlQuery q(FDb);
    const QString sql = QStringLiteral("SELECT width_bucket(s.fired_at, CAST(? AS timestamptz[])), count(*),"
                                       " avg(s.total), avg(s.mean_radius / NULLIF(s.ring_width, 0))"
                                       " FROM vimbra.series s WHERE %1 GROUP BY 1 ORDER BY 1")
                            .arg(QLatin1String(kSeriesOfDays));
    if (!run(q, sql, QVariantList{QLatin1Char('{') + bounds.join(QLatin1Char(',')) + QLatin1Char('}')} + seriesOfDays(range),
             reason))
        return std::nullopt;
    while (q.next()) {
        const int bucket = q.value(0).toInt(); // 1: the first week
        if (bucket < 1 || bucket > weeks)
            continue;
        ClassWeek &week = result[bucket - 1];
        week.series = q.value(1).toInt();
        week.meanTotal = q.value(2).toDouble();
        week.meanRadiusRings = optionalDouble(q.value(3));
    }
    return result;
}

std::optional<QStringList> ClassReport::Exercises(const QString &klass, QString *reason) const
{
    QSqlQuery q(FDb);
    if (!run(q, QStringLiteral("SELECT DISTINCT exercise FROM vimbra.series WHERE class = ? ORDER BY exercise"),
             {klass}, reason))
        return std::nullopt;
    QStringList exercises;
    while (q.next())
        exercises << q.value(0).toString();
    return exercises;
}

std::optional<QList<JournalSeries>> ClassReport::Series(const ClassDayQuery &query, QString *reason) const
{
    QSqlQuery q(FDb);
    const QString sql = QStringLiteral("SELECT s.uid::text, %1, s.shooter, s.class, s.target_width, s.large_target,"
                                       " s.black_circle, s.correction, s.exercise, s.hidden_x, s.hidden_y,"
                                       " s.zeroing_series, s.time_limit_ms, s.total, s.mean_x, s.mean_y,"
                                       " s.mean_radius, s.extreme_spread, s.ring_width"
                                       " FROM vimbra.series s WHERE %2 ORDER BY s.fired_at, s.filed_at, s.uid")
                            .arg(epochMs("s.fired_at"), QLatin1String(kSeriesOfDays));
    if (!run(q, sql, seriesOfDays(query), reason))
        return std::nullopt;
    QList<JournalSeries> series;
    QHash<QString, int> byUid;
    while (q.next()) {
        JournalSeries s;
        s.id = series.size() + 1;
        s.uid = QUuid::fromString(q.value(0).toString());
        s.firedAt = fromEpochMs(q.value(1));
        s.shooter = q.value(2).toString();
        s.klass = q.value(3).toString();
        s.targetWidth = q.value(4).toInt();
        s.largeTarget = q.value(5).toBool();
        s.blackCircleValue = q.value(6).toInt();
        s.correction = q.value(7).toInt();
        s.exercise = q.value(8).toString();
        s.hiddenError = QPoint(q.value(9).toInt(), q.value(10).toInt());
        s.zeroingSeries = q.value(11).toInt();
        s.timeLimitMs = q.value(12).toInt();
        s.total = q.value(13).toInt();
        s.meanPoint = QPointF(q.value(14).toDouble(), q.value(15).toDouble());
        s.meanRadius = q.value(16).toDouble();
        s.extremeSpread = q.value(17).toDouble();
        s.ringWidth = q.value(18).toDouble();
        byUid.insert(q.value(0).toString(), int(series.size()));
        series << s;
    }
    QSqlQuery shots(FDb);
    const QString shotSql = QStringLiteral("SELECT h.series_uid::text, h.number, h.x, h.y, h.score, h.hold_x, h.hold_y,"
                                           " h.align_x, h.align_y, h.correction_x, h.correction_y,"
                                           " h.since_previous_ms, h.call_x, h.call_y, h.since_start_ms, h.late,"
                                           " h.trace FROM vimbra.shot h JOIN vimbra.series s ON s.uid = h.series_uid"
                                           " WHERE %1 ORDER BY h.series_uid, h.number")
                                .arg(QLatin1String(kSeriesOfDays));
    if (!run(shots, shotSql, seriesOfDays(query), reason))
        return std::nullopt;
    while (shots.next()) {
        const auto at = byUid.constFind(shots.value(0).toString());
        if (at == byUid.constEnd())
            continue; // filed between the two reads
        JournalShot shot(shots.value(1).toInt(), QPointF(shots.value(2).toDouble(), shots.value(3).toDouble()),
                         shots.value(4).toInt(), QPointF(shots.value(5).toDouble(), shots.value(6).toDouble()),
                         QPointF(shots.value(7).toDouble(), shots.value(8).toDouble()),
                         QPointF(shots.value(9).toDouble(), shots.value(10).toDouble()));
        shot.sincePreviousMs = shots.value(11).isNull() ? -1 : shots.value(11).toInt();
        shot.called = !shots.value(12).isNull() && !shots.value(13).isNull();
        if (shot.called)
            shot.call = QPointF(shots.value(12).toDouble(), shots.value(13).toDouble());
        shot.sinceStartMs = shots.value(14).isNull() ? -1 : shots.value(14).toInt();
        shot.late = shots.value(15).toBool();
        if (!shots.value(16).isNull())
            shot.trace = JournalStore::UnpackTrace(shots.value(16).toByteArray());
        series[*at].shots << shot;
    }
    return series;
}

std::optional<QList<ClassBestAndLast>> ClassReport::BestAndLast(const ClassDayQuery &query, QString *reason) const
{
    const std::optional<QList<ClassDayRow>> day = Day(query, reason);
    if (!day)
        return std::nullopt;
    QSqlQuery q(FDb);
    const QString sql = QStringLiteral("SELECT s.shooter, s.total, %1, s.mean_radius / NULLIF(s.ring_width, 0)"
                                       " FROM vimbra.series s WHERE %2 ORDER BY s.fired_at, s.filed_at")
                            .arg(epochMs("s.fired_at"), QLatin1String(kSeriesOfDays));
    if (!run(q, sql, seriesOfDays(query), reason))
        return std::nullopt;
    QHash<QString, ClassBestAndLast> byName;
    while (q.next()) {
        const QString name = q.value(0).toString();
        const ClassSeriesBrief brief{q.value(1).toInt(), fromEpochMs(q.value(2)), q.value(3).toDouble()};
        ClassBestAndLast &learner = byName[name];
        if (!learner.best || brief.total > learner.best->total) // the earliest of equal totals stays
            learner.best = brief;
        learner.last = brief; // oldest first: the last one read is the last fired
    }
    QList<ClassBestAndLast> result;
    for (const ClassDayRow &row : *day) {
        ClassBestAndLast learner = byName.value(row.name);
        learner.name = row.name;
        result << learner;
    }
    return result;
}
