#include "ui/frmJournal.h"

#include "ui/frmClass.h"
#include "ui/look.h"
#include "ui/savefile.h"
#include "ui/placement.h"
#include "analysis/debrief.h"
#include "base/errorbox.h"
#include "journal/journalexport.h"
#include "journal/journalkeeper.h"

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>

namespace {
std::function<QString(const QString &)> &savePathHook()
{
    static std::function<QString(const QString &)> hook;
    return hook;
}

std::function<void(const QString &)> &messageHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

} // namespace

TJournalF::TJournalF(TJournalKeeper *keeper, QWidget *parent) : QWidget(parent, Qt::Window), FKeeper(keeper)
{
    setupUi(this);
    UseLightLook(this);
    tvSeries->setModel(&FModel);
    // Columns as wide as their longest possible text, measured once: sizing
    // them to their contents would read every row of a long journal.
    const QFontMetrics metrics(tvSeries->font());
    const int pad = 2 * metrics.horizontalAdvance(QLatin1Char('M'));
    for (int column = 0; column < FModel.columnCount(); ++column) {
        // The date's digits (or the widest shares), or the column's title,
        // whichever is wider.
        const QString title = FModel.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const QString longest = column == 0 ? QStringLiteral("00.00.0000 00:00")
                                : column == 4 ? QStringLiteral("100/100")
                                              : QString();
        const int widest = std::max(metrics.horizontalAdvance(title), metrics.horizontalAdvance(longest));
        tvSeries->setColumnWidth(column, widest + pad);
    }
    tvSeries->horizontalHeader()->setStretchLastSection(true);
    tvSeries->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    tvSeries->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Split->setStretchFactor(0, 2);
    Split->setStretchFactor(1, 3);
    // The list as wide as its columns (with the room of a scroll bar), up to
    // 55% of the window: at its designed size every column is in sight, and
    // the pictures keep the rest (the target is as tall as it is wide).
    int list = 2 * tvSeries->frameWidth() + tvSeries->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < FModel.columnCount(); ++column)
        list += tvSeries->columnWidth(column);
    list = std::min(list, width() * 55 / 100);
    Split->setSizes({list, width() - list});
    connect(cbShooter, &QComboBox::activated, this, Guarded([this] { ChooseShooter(); }));
    connect(cbShooter->lineEdit(), &QLineEdit::editingFinished, this, Guarded([this] { ChooseShooter(); }));
    connect(tvSeries->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            Guarded([this](const QModelIndex &current, const QModelIndex &) { SelectRow(current.row()); }));
    connect(btnCsv, &QPushButton::clicked, this, Guarded([this] {
        const QString shooter = FKeeper->Shooter();
        Export(ExportFileName(shooter.isEmpty() ? tr("журнал") : shooter, QStringLiteral(".csv")),
               [this](const QString &path, QString *error) { return ExportCsvTo(path, error); });
    }));
    connect(btnPdfSeries, &QPushButton::clicked, this, Guarded([this] {
        Export(ExportFileName(FKeeper->Shooter(), tr("-серия.pdf")),
               [this](const QString &path, QString *error) { return ExportSeriesPdfTo(path, error); });
    }));
    connect(btnPdfDay, &QPushButton::clicked, this, Guarded([this] {
        Export(ExportFileName(FKeeper->Shooter(), tr("-день.pdf")),
               [this](const QString &path, QString *error) { return ExportDayPdfTo(path, error); });
    }));
    btnClass->setVisible(FKeeper->ClassJournal());
    connect(btnClass, &QPushButton::clicked, this, Guarded([this] { OpenClass(); }));
}

TJournalF::~TJournalF()
{
    *FLatestListing = -1; // a listing under way stops measuring
    tvSeries->setModel(nullptr); // the model goes before the view
    // The shooter's field reports its end of editing as it loses the focus
    // while the window goes: nothing is to be chosen then.
    cbShooter->lineEdit()->disconnect(this);
    cbShooter->disconnect(this);
    tvSeries->selectionModel()->disconnect(this);
}

void TJournalF::SetSavePathHookForTesting(std::function<QString(const QString &)> hook)
{
    savePathHook() = std::move(hook);
}

void TJournalF::SetMessageHookForTesting(std::function<void(const QString &)> hook) { messageHook() = std::move(hook); }

void TJournalF::Open(QWidget *beside)
{
    if (!FPlaced && beside) {
        // Over the main window, a little lower and to the right: the journal
        // is read between series, not while shooting. No larger than the
        // screen has room for, frame and all (framed as the main window is),
        // and wholly on it.
        FPlaced = true;
        const QMargins frame(beside->geometry().left() - beside->frameGeometry().left(),
                             beside->geometry().top() - beside->frameGeometry().top(),
                             beside->frameGeometry().right() - beside->geometry().right(),
                             beside->frameGeometry().bottom() - beside->geometry().bottom());
        if (const QScreen *screen = beside->screen()) {
            const QRect available = screen->availableGeometry();
            resize(size().boundedTo(available.size().shrunkBy(frame)));
            const QRect wanted(beside->frameGeometry().topLeft() + QPoint(40, 40), size().grownBy(frame));
            move(KeepWithin(wanted, available));
        } else {
            move(beside->frameGeometry().topLeft() + QPoint(40, 40));
        }
    }
    // The journal opened first: a message about it comes before the window,
    // which then stands over the window the message went back to.
    JournalStore *store = FKeeper->Reader();
    const QString shooter = FKeeper->Shooter();
    show();
    raise();
    activateWindow();
    OfferShooters(store, shooter);
    ShowSeries();
}

void TJournalF::OfferShooters(JournalStore *store, const QString &shooter)
{
    // With a class roster, its learners (each with their class); otherwise
    // the names the journal holds.
    const ClassRoster roster = FKeeper->Roster();
    cbShooter->blockSignals(true);
    cbShooter->clear();
    if (roster.InUse()) {
        for (const ClassRoster::Learner &learner : roster.Learners())
            cbShooter->addItem(learner.klass.isEmpty() ? learner.name : tr("%1 (%2)").arg(learner.name, learner.klass),
                               QStringList{learner.klass, learner.name});
    } else if (store) {
        cbShooter->addItems(store->Shooters());
    }
    cbShooter->setEditText(shooter);
    cbShooter->blockSignals(false);
    lbShooterRefused->clear();
    btnClass->setVisible(FKeeper->ClassJournal());
}

void TJournalF::OpenClass()
{
    if (!FKeeper->ClassJournal())
        return;
    if (!FClass)
        FClass = std::make_unique<TClassF>(FKeeper->ClassService());
    if (FClass->Open(this) != TClassF::Access::FilesOnly)
        return;
    if (messageHook())
        messageHook()(TClassF::FilesOnlyText());
    else
        QMessageBox::information(this, tr("Класс"), TClassF::FilesOnlyText());
}

void TJournalF::ChooseShooter()
{
    const ClassRoster roster = FKeeper->Roster();
    QString name = cbShooter->currentText().trimmed();
    QString klass;
    // A learner of the roster as offered, or a name typed: on the roster in
    // the class chosen last, or in any.
    const int offered = cbShooter->findText(name, Qt::MatchFixedString);
    const QStringList learner = offered >= 0 ? cbShooter->itemData(offered).toStringList() : QStringList();
    if (learner.size() == 2) {
        klass = learner[0];
        name = learner[1];
    } else if (roster.InUse()) {
        klass = FKeeper->ShooterClass();
        for (const ClassRoster::Learner &l : roster.Learners())
            if (l.name == name && !roster.Accepts(klass, name))
                klass = l.klass;
    }
    if (name == FKeeper->Shooter() && klass == FKeeper->ShooterClass())
        return;
    // An empty name, without a roster, is the journal's own: the series of
    // nobody's name may be looked at.
    QString reason;
    if ((roster.InUse() || !name.isEmpty()) && !roster.Accepts(klass, name, &reason)) {
        lbShooterRefused->setText(reason);
        cbShooter->blockSignals(true);
        cbShooter->setEditText(FKeeper->Shooter());
        cbShooter->blockSignals(false);
        return;
    }
    lbShooterRefused->clear();
    FKeeper->SetShooter(name, klass);
    ShowSeries();
}

void TJournalF::ShowSeries()
{
    JournalStore *store = FKeeper->Reader();
    const bool usable = store != nullptr;
    for (QWidget *w : std::initializer_list<QWidget *>{btnCsv, btnPdfSeries, btnPdfDay, tvSeries})
        w->setEnabled(usable);
    const int generation = ++FGeneration;
    *FLatestListing = generation;
    if (!usable) {
        FListing = false;
        ShowListing({});
        return;
    }
    // A long journal takes a while to list: read on a thread of its own,
    // with a connection of its own, and shown when read unless another
    // listing was asked for meanwhile.
    FListing = true;
    lbCount->setText(tr("серии читаются…"));
    QPointer<TJournalF> self(this);
    QThreadPool::globalInstance()->start([self, generation, path = FKeeper->Path(), shooter = FKeeper->Shooter()] {
        QList<JournalSeries> series;
        {
            JournalStore reader;
            if (reader.Open(path, nullptr, nullptr, JournalStore::Check::Header, JournalStore::Access::ReadOnly))
                series = reader.Summaries(shooter);
        }
        QMetaObject::invokeMethod(
            qApp,
            [self, generation, series = std::move(series)]() mutable {
                if (self && self->FGeneration == generation) {
                    self->FListing = false;
                    Guard([&] { self->ShowListing(std::move(series)); });
                    // Once the list is painted, its steadiness.
                    QTimer::singleShot(0, self, [self, generation] {
                        if (self && self->FGeneration == generation)
                            self->MeasureListed();
                    });
                }
            },
            Qt::QueuedConnection);
    });
}

void TJournalF::MeasureListed()
{
    // Each series' steadiness from its traces, newest first, handed over as
    // it comes (the first rows soon), on a thread and a connection of its
    // own; stopped as soon as another listing is asked for or the window
    // goes.
    QPointer<TJournalF> self(this);
    QThreadPool::globalInstance()->start([self, generation = FGeneration, latest = FLatestListing,
                                          listed = FModel.Series(), path = FKeeper->Path(),
                                          shooter = FKeeper->Shooter()] {
        JournalStore reader;
        if (!reader.Open(path, nullptr, nullptr, JournalStore::Check::Header, JournalStore::Access::ReadOnly))
            return;
        QHash<qint64, SeriesSteadiness> measured;
        qsizetype handOver = 32;
        auto hand = [&](bool complete) {
            QMetaObject::invokeMethod(
                qApp,
                [self, generation, measured = std::move(measured), complete] {
                    if (self && self->FGeneration == generation)
                        self->FModel.AddSteadiness(measured, complete);
                },
                Qt::QueuedConnection);
            measured = {};
        };
        bool stopped = false;
        MeasureSeriesHolds(reader, shooter, listed, [&](qint64 id, const SeriesSteadiness &steadiness) {
            if (latest->load() != generation) {
                stopped = true;
                return false;
            }
            measured.insert(id, steadiness);
            if (measured.size() >= handOver) {
                hand(false);
                handOver = 1024;
            }
            return true;
        });
        if (!stopped && latest->load() == generation)
            hand(true);
    });
}

void TJournalF::ShowListing(QList<JournalSeries> series)
{
    FModel.SetSeries(std::move(series));
    ShowCount();
    ChartSeries();
    if (FModel.rowCount() > 0)
        tvSeries->selectRow(0);
    else
        SelectRow(-1);
}

void TJournalF::ShowCount()
{
    if (!FKeeper->Reader())
        lbCount->setText(tr("журнал недоступен: %1").arg(FKeeper->Path()));
    else if (FKeeper->ReadOnly())
        lbCount->setText(tr("серий: %1 (только просмотр: %2)").arg(FModel.rowCount()).arg(FKeeper->ReadOnlyReason()));
    else
        lbCount->setText(tr("серий: %1").arg(FModel.rowCount()));
}

void TJournalF::ChartSeries()
{
    const QList<JournalSeries> &series = FModel.Series();
    QList<TProgressChart::Point> points;
    points.reserve(series.size());
    for (auto it = series.crbegin(); it != series.crend(); ++it)
        points << TProgressChart::Point{it->firedAt, it->total, it->ringWidth > 0 ? it->meanRadius / it->ringWidth : 0};
    Chart->SetPoints(points);
}

void TJournalF::Refresh() { ShowSeries(); }

void TJournalF::Added(qint64 id)
{
    if (FListing) { // the listing under way may have been read before it
        ShowSeries();
        return;
    }
    JournalStore *store = FKeeper->Reader();
    if (!store || FModel.RowOf(id) >= 0)
        return;
    const std::optional<JournalSeries> series = store->Summary(id);
    if (!series || series->shooter != FKeeper->Shooter())
        return;
    const int row = FModel.Insert(*series);
    // Its steadiness, from its own traces: one series is read at once.
    JournalSeries traced = *series;
    store->ReadShots(traced, true);
    FModel.AddSteadiness({{id, SeriesHold(traced)}}, false);
    ShowCount();
    ChartSeries();
    tvSeries->selectRow(row);
}

QString TJournalF::ShooterTitle() const
{
    const QString shooter = FKeeper->Shooter();
    return shooter.isEmpty() ? tr("(без имени)") : shooter;
}

void TJournalF::SelectRow(int row)
{
    const auto series = ReadRow(row);
    if (!series) {
        Target->Show({}, {});
        lbSelected->clear();
        btnPdfSeries->setEnabled(false);
        btnPdfDay->setEnabled(false);
        return;
    }
    btnPdfSeries->setEnabled(true);
    btnPdfDay->setEnabled(true);
    const TDebriefTarget::Series drawn = DebriefSeries(*series);
    Target->Show(drawn, {});
    const SeriesFigures &f = drawn.figures;
    const double ring = drawn.target.RingWidth();
    QStringList scores;
    int late = 0;
    int lastTime = -1;
    for (const JournalShot &s : series->shots) {
        scores << (s.late ? tr("0 (после времени)") : QString::number(s.score));
        late += s.late ? 1 : 0;
        lastTime = std::max(lastTime, s.sinceStartMs);
    }
    lbSelected->setText(tr("%1: %2 (%3), сумма %4. СТП %5; средний радиус %6, наибольший разброс %7 "
                                       "ширины кольца.%8")
                            .arg(SeriesTimeText(series->firedAt),
                                 scores.join(QStringLiteral(" ")),
                                 series->largeTarget ? tr("большая мишень") : tr("маленькая мишень"))
                            .arg(series->total)
                            .arg(DistanceAndHour(f.meanPoint, ring), Decimal(f.meanRadiusRings),
                                 Decimal(f.extremeSpreadRings),
                                 series->exercise.isEmpty() ? QString() : tr(" Упражнение: ") + series->exercise));
    // What the debrief said besides: the flyers, a timed series' time, the
    // steadiness of the hold.
    QStringList more = f.flyerWords;
    if (series->timeLimitMs > 0)
        more << tr("На время: %1 с из %2; после времени — %3.")
                    .arg(lastTime >= 0 ? Decimal(lastTime / 1000.0) : QStringLiteral("—"))
                    .arg(series->timeLimitMs / 1000)
                    .arg(late);
    const SeriesSteadiness steady = SeriesHold(*series);
    if (steady.measured > 0)
        more << SteadinessSentence(steady);
    if (!more.isEmpty())
        lbSelected->setText(lbSelected->text() + QLatin1Char(' ') + more.join(QLatin1Char(' ')));
}

// The series of a row of the list, as the window shows and prints it, with
// the aim traces its steadiness is measured from.
std::optional<JournalSeries> TJournalF::ReadRow(int row)
{
    JournalStore *store = FKeeper->Reader();
    if (!store || row < 0 || row >= FModel.rowCount())
        return std::nullopt;
    return store->Read(FModel.At(row).id, true);
}

QList<JournalSeries> TJournalF::DayOfSelected()
{
    QList<JournalSeries> day;
    JournalStore *store = FKeeper->Reader();
    const int row = tvSeries->currentIndex().row();
    if (!store || row < 0 || row >= FModel.rowCount())
        return day;
    const QDate date = FModel.At(row).firedAt.toLocalTime().date();
    const QList<JournalSeries> &all = FModel.Series();
    for (auto it = all.crbegin(); it != all.crend(); ++it) // oldest first
        if (it->firedAt.toLocalTime().date() == date) {
            day << *it;
            store->ReadShots(day.last(), true);
        }
    return day;
}

bool TJournalF::ExportCsvTo(const QString &path, QString *error)
{
    JournalStore *store = FKeeper->Reader();
    if (!store) {
        *error = SaveFailureText(path, tr("журнал недоступен"));
        return false;
    }
    const QList<JournalSeries> all = store->ReadAll(FKeeper->Shooter());
    const JournalHolds holds = MeasureJournalHolds(*store, FKeeper->Shooter(), all);
    return ExportCsv(all, path, error, &holds);
}

bool TJournalF::ExportSeriesPdfTo(const QString &path, QString *error)
{
    const auto series = ReadRow(tvSeries->currentIndex().row());
    if (!series) {
        *error = SaveFailureText(path, tr("серия не выбрана"));
        return false;
    }
    const QString title = tr("Серия стрелка %1 — %2")
                              .arg(ShooterTitle(),
                                   SeriesTimeText(series->firedAt));
    return ExportPdf({*series}, title, path, error);
}

bool TJournalF::ExportDayPdfTo(const QString &path, QString *error)
{
    const QList<JournalSeries> day = DayOfSelected();
    if (day.isEmpty()) {
        *error = SaveFailureText(path, tr("серия не выбрана"));
        return false;
    }
    const QString title = tr("Журнал стрелка %1 — %2")
                              .arg(ShooterTitle(),
                                   day.first().firedAt.toLocalTime().toString(QStringLiteral("dd.MM.yyyy")));
    return ExportPdf(day, title, path, error);
}

void TJournalF::Export(const QString &suggested, const std::function<bool(const QString &, QString *)> &write)
{
    SaveExport(this, tr("Журнал"), suggested, savePathHook(), messageHook(), write);
}
