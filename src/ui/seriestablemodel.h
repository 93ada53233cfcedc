#pragma once

#include "journal/journal.h"

#include <QAbstractTableModel>

// When a series was fired, as the journal shows it: "10.12.2026 17:05".
QString SeriesTimeText(const QDateTime &firedAt);

// A shooter's series as a table, newest first: date, total, mean radius (in
// ring widths) and the elevation correction. Holds the summaries only; the
// view asks for the rows it shows, so a journal of thousands lists at once.
class TSeriesTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetSeries(QList<JournalSeries> series);
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
};
