#pragma once

#include "analysis/steadiness.h"
#include "journal/journal.h"

#include <QAbstractTableModel>
#include <QHash>

// When a series was fired, as the journal shows it: "10.12.2026 17:05".
QString SeriesTimeText(const QDateTime &firedAt);

// A shooter's series as a table, newest first: date, total, mean radius (in
// ring widths), the elevation correction, and the steadiness of the hold
// (the shares of the last second in the 10 and the 9, the hold area in ring
// widths). Holds the summaries only; the view asks for the rows it shows, so
// a journal of thousands lists at once. The steadiness comes from the shots'
// aim traces, which the summaries do not hold: it is measured off the GUI
// thread and given as it comes; until then a row shows nothing there, and
// once all has come a series without traces shows «—».
class TSeriesTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetSeries(QList<JournalSeries> series);
    // The steadiness of listed series, by their ids; `complete`: every
    // listed series with traces has had its own.
    void AddSteadiness(const QHash<qint64, SeriesSteadiness> &measured, bool complete);
    // One more series, in its place (newest first); its row.
    int Insert(const JournalSeries &series);
    // The row of a series, or -1.
    int RowOf(qint64 id) const;
    const JournalSeries &At(int row) const { return FSeries[row]; }
    const QList<JournalSeries> &Series() const { return FSeries; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<JournalSeries> FSeries;
    QHash<qint64, SeriesSteadiness> FSteadiness; // by the series' id
    bool FSteadinessComplete = false;
};
