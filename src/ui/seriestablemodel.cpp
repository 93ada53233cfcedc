#include "ui/seriestablemodel.h"

#include "analysis/debrief.h"

QString SeriesTimeText(const QDateTime &firedAt) { return firedAt.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")); }

void TSeriesTableModel::SetSeries(QList<JournalSeries> series)
{
    beginResetModel();
    FSeries = std::move(series);
    FSteadiness.clear();
    FSteadinessComplete = false;
    endResetModel();
}

int TSeriesTableModel::Insert(const JournalSeries &series)
{
    // Newest first, as the journal lists them: after every later series.
    auto later = [&series](const JournalSeries &s) {
        return s.firedAt > series.firedAt || (s.firedAt == series.firedAt && s.id > series.id);
    };
    int row = 0;
    while (row < FSeries.size() && later(FSeries[row]))
        ++row;
    beginInsertRows(QModelIndex(), row, row);
    FSeries.insert(row, series);
    endInsertRows();
    return row;
}

int TSeriesTableModel::RowOf(qint64 id) const
{
    for (int row = 0; row < FSeries.size(); ++row)
        if (FSeries[row].id == id)
            return row;
    return -1;
}

void TSeriesTableModel::AddSteadiness(const QHash<qint64, SeriesSteadiness> &measured, bool complete)
{
    FSteadiness.insert(measured);
    FSteadinessComplete = FSteadinessComplete || complete;
    if (!FSeries.isEmpty())
        Q_EMIT dataChanged(index(0, 4), index(int(FSeries.size()) - 1, 5), {Qt::DisplayRole});
}

int TSeriesTableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(FSeries.size()); }

int TSeriesTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 6; }

QVariant TSeriesTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= FSeries.size())
        return {};
    const JournalSeries &s = FSeries[index.row()];
    if (role == Qt::TextAlignmentRole)
        return index.column() == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0: return SeriesTimeText(s.firedAt);
    case 1: return s.total;
    case 2: return s.ringWidth > 0 ? Decimal(s.meanRadius / s.ringWidth) : QString();
    case 3: return s.correction;
    case 4:
    case 5: {
        const auto found = FSteadiness.constFind(s.id);
        if (found == FSteadiness.constEnd())
            return FSteadinessComplete ? QStringLiteral("—") : QString();
        return index.column() == 4 ? SharesText(*found) : HoldAreaText(*found);
    }
    }
    return {};
}

QVariant TSeriesTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::ToolTipRole) {
        switch (section) {
        case 4: return tr("Доля последней секунды перед выстрелом, когда прицел стоял в десятке / в девятке "
                          "(с десяткой), %: среднее по выстрелам серии");
        case 5: return tr("Пятно удержания: средний радиус следа прицеливания за последнюю секунду около его "
                          "центра, в ширинах кольца: среднее по выстрелам серии");
        }
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0: return tr("Дата");
    case 1: return tr("Сумма");
    case 2: return tr("Ср. радиус");
    case 3: return tr("Поправка");
    case 4: return tr("10/9, %");
    case 5: return tr("Пятно");
    }
    return {};
}
