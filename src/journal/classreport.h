#pragma once

// The teacher's reading of the class journal: a class's day learner by
// learner, its progress week by week, and its series for the lesson's
// exports. Plain data in and out, read over a ClassServer's connection on the
// thread that opened it; every value is bound, none is written into the SQL.

#include "journal/journal.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

// What is asked for: a class, its days from `from` to `to` (local dates, both
// included) and one exercise (as the series keep it: empty for free
// shooting) or all of them.
struct ClassDayQuery {
    QString klass;
    QDate from;
    QDate to;
    std::optional<QString> exercise; // none: every exercise

    // The local days' bounds as instants: [start of `from`, start of the day
    // after `to`), in UTC.
    QDateTime Start() const;
    QDateTime End() const;
};

// One learner's day: everyone on the class's roster, and anyone else with
// series in it. The means are over the learner's series; the steadiness over
// those that have it (none: not measured).
struct ClassDayRow {
    QString name;
    bool onRoster = false;
    int series = 0;
    int best = 0;                  // the best total (series > 0)
    int last = 0;                  // the last series' total
    QDateTime lastAt;              // and when it was fired (UTC); invalid without series
    std::optional<double> meanRadiusRings;
    std::optional<double> inTen;   // share of the last second, 0 to 1
    std::optional<double> inNine;
    std::optional<double> holdRings;
};

// One ISO week of the class (Monday to Sunday, local time).
struct ClassWeek {
    QDate monday;
    int series = 0;
    double meanTotal = 0;               // with series > 0
    std::optional<double> meanRadiusRings;
};

// A series in a few figures, for the grade book.
struct ClassSeriesBrief {
    int total = 0;
    QDateTime firedAt; // UTC
    double meanRadiusRings = 0;
};

// A learner's best series of the day (the highest total, the earliest of
// equal ones) and the last one.
struct ClassBestAndLast {
    QString name;
    std::optional<ClassSeriesBrief> best;
    std::optional<ClassSeriesBrief> last;
};

class ClassReport
{
public:
    // The connection of an open ClassServer (ClassServer::Database()).
    explicit ClassReport(QSqlDatabase db);

    // The day's rows, by name. Nothing on failure, with the server's reason.
    std::optional<QList<ClassDayRow>> Day(const ClassDayQuery &query, QString *reason) const;
    // The last `weeks` ISO weeks up to the one holding `upTo` (local time),
    // oldest first, every week given (those without series with 0).
    std::optional<QList<ClassWeek>> Weeks(const QString &klass, const std::optional<QString> &exercise,
                                          const QDate &upTo, int weeks, QString *reason) const;
    // The exercises of the class's series (as kept: "" for free shooting),
    // each once, in order.
    std::optional<QStringList> Exercises(const QString &klass, QString *reason) const;
    // The series of the days with their shots and traces, the oldest first,
    // shooter as filed, numbered 1, 2... in that order (the id the exports
    // show).
    std::optional<QList<JournalSeries>> Series(const ClassDayQuery &query, QString *reason) const;
    // Each learner's best and last series of the days, in the order of Day().
    std::optional<QList<ClassBestAndLast>> BestAndLast(const ClassDayQuery &query, QString *reason) const;

    // The statement Day() runs and how its values are bound, for measuring
    // it bare.
    static QString DaySql();
    static QVariantList DayValues(const ClassDayQuery &query);

    // The Monday of the ISO week holding the day.
    static QDate WeekStart(const QDate &day);

private:
    QSqlDatabase FDb;
};
