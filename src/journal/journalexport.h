#pragma once

// The journal taken out of the program: a table for a coach's spreadsheet and
// a printable report with each series' target.

#include "journal/classreport.h"
#include "journal/journal.h"
#include "analysis/steadiness.h"
#include "analysis/targetpicture.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class JournalStore;

// A series of the journal as the debrief draws it: its target's scoring
// geometry, its shots in firing order and their figures.
TargetPicture DebriefSeries(const JournalSeries &s);

// The steadiness of a series' hold (analysis/steadiness.h) from its shots'
// aim traces, on its own target: one shot's, and the series' means over the
// shots that have a trace. A series read without its traces has none.
HoldSteadiness ShotHold(const JournalSeries &s, const JournalShot &shot);
SeriesSteadiness SeriesHold(const JournalSeries &s);
// «Устойчивость: в 10 — 60%, в 9 — 85% последней секунды; пятно удержания
// 0,8 ширины кольца.» (without the bold the debrief gives its heading).
QString SteadinessSentence(const SeriesSteadiness &s);

// Each shot's steadiness by its series' id and its number, measured from a
// shooter's traces as the journal gives them one at a time (a long journal's
// traces are never all held at once); the series are those read without
// their traces (Summaries, ReadAll), for their targets.
using JournalHolds = QHash<qint64, QHash<int, HoldSteadiness>>;
JournalHolds MeasureJournalHolds(JournalStore &store, const QString &shooter, const QList<JournalSeries> &series);
// The same a series at a time, in the order the journal lists them (newest
// first): each series that has traces is given with its steadiness, and
// `each` returning false stops the reading.
void MeasureSeriesHolds(JournalStore &store, const QString &shooter, const QList<JournalSeries> &series,
                        const std::function<bool(qint64 seriesId, const SeriesSteadiness &steadiness)> &each);

// "Не удалось сохранить файл «path»: why." — what a failed save says.
QString SaveFailureText(const QString &path, const QString &why);

// A file's name: the name shortened (by whole characters) so that with its
// ending ("-день.pdf") it is what the file system takes for a name, room for
// the save's temporary name left (in the folder given, by what its file system
// takes).
QString FittingFileName(const QString &name, const QString &ending, const QString &folder = QString());

// One row a shot, the series' own columns repeated on each of its rows (a
// series without shots keeps one row with those columns empty). The shots'
// coordinates in pixels, the series' figures in ring widths, as the header
// says. Last come the steadiness of the shot's hold and the series' (the
// shares of the last second in the 10 and the 9 in percent, the hold area in
// ring widths), empty where there is no trace. UTF-8 with a
// byte-order mark, ";" between fields, decimal comma, CR LF: what a spreadsheet
// set to Russian opens as numbers. The file is replaced only once it is
// wholly written; on failure false, and the reason in *error.
// The steadiness comes from the shots' traces, or from `holds` when given
// (the series then read without their traces).
bool ExportCsv(const QList<JournalSeries> &series, const QString &path, QString *error,
               const JournalHolds *holds = nullptr);

// A4 report: the title, then a block for each series with its date, total,
// exercise, target and figures in words; pages numbered at the foot.
bool ExportPdf(const QList<JournalSeries> &series, const QString &title, const QString &path, QString *error);

// The class's lesson for the grade book, on one A4 page: the title (the class
// and the date), then a row a learner with their best and last series of the
// day (total, time, mean radius in ring widths) and an empty column for the
// mark. A class too long for one page goes on to the next.
bool ExportClassPdf(const QList<ClassBestAndLast> &learners, const QString &title, const QString &path,
                    QString *error);
