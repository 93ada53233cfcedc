#pragma once

// The journal taken out of the program: a table for a coach's spreadsheet and
// a printable report with each series' target.

#include "journal/journal.h"
#include "analysis/steadiness.h"
#include "analysis/targetpicture.h"

#include <QList>
#include <QString>

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
bool ExportCsv(const QList<JournalSeries> &series, const QString &path, QString *error);

// A4 report: the title, then a block for each series with its date, total,
// exercise, target and figures in words; pages numbered at the foot.
bool ExportPdf(const QList<JournalSeries> &series, const QString &title, const QString &path, QString *error);
