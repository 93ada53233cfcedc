#include "ui/frmClass.h"

#include "ui/frmClassRoster.h"
#include "ui/look.h"
#include "ui/savefile.h"
#include "ui/placement.h"
#include "analysis/debrief.h"
#include "analysis/steadiness.h"
#include "base/errorbox.h"
#include "journal/classserver.h"
#include "journal/journalexport.h"
#include "session/exercises.h"

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QSqlDriver>

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

// The table's columns; each cell sorts by the number it shows (kSortRole),
// the names as words.
enum Column { Name, Series, Best, Last, LastAt, Radius, InTen, InNine, Hold, Columns };
constexpr int kSortRole = Qt::UserRole;


// An exercise as the series keep it, as the drop-down names it.
QString exerciseTitle(const QString &kept)
{
    if (kept.isEmpty())
        return ExerciseName(Exercise::Free);
    for (Exercise e : {Exercise::Free, Exercise::Grouping, Exercise::Zeroing, Exercise::Calling, Exercise::Timed})
        if (kept == ExerciseKey(e))
            return ExerciseName(e);
    return kept;
}

QStandardItem *cell(const QString &text, const QVariant &sortBy)
{
    auto *item = new QStandardItem(text);
    item->setData(sortBy, kSortRole);
    if (sortBy.typeId() != QMetaType::QString)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// A figure that may be missing: «—», sorted before every figure.
QStandardItem *figure(const std::optional<double> &value, const std::function<QString(double)> &text)
{
    return value ? cell(text(*value), *value) : cell(QStringLiteral("—"), -1.0);
}
} // namespace

TClassF::TClassF(const QString &service, QWidget *parent) : QWidget(parent, Qt::Window), FService(service)
{
    setupUi(this);
    UseLightLook(this);
    FModel.setColumnCount(Columns);
    FModel.setHorizontalHeaderLabels({tr("Ученик"), tr("Серий"), tr("Лучшая"), tr("Последняя"), tr("Время"),
                                      tr("Ср. радиус"), tr("В 10, %"), tr("В 9, %"), tr("Пятно удержания")});
    FModel.setSortRole(kSortRole);
    FSorted.setSourceModel(&FModel);
    FSorted.setSortRole(kSortRole);
    FSorted.setSortLocaleAware(true);
    FSorted.setSortCaseSensitivity(Qt::CaseInsensitive);
    tvDay->setModel(&FSorted);
    tvDay->sortByColumn(Name, Qt::AscendingOrder);
    tvDay->horizontalHeader()->setStretchLastSection(true);
    tvDay->setColumnWidth(Name, tvDay->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 18);
    // The figures as wide as their headings: every column in sight on a
    // school's screen.
    for (int column = Series; column < Columns; ++column)
        tvDay->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    tvDay->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvDay->verticalHeader()->setDefaultSectionSize(tvDay->fontMetrics().height() + 6);
    Split->setStretchFactor(0, 3);
    Split->setStretchFactor(1, 2);
    deDate->setDate(QDate::currentDate());
    lbChart->setText(tr("Класс по неделям (последние %1): средняя сумма серии и средний радиус").arg(kWeeks));
    cbExercise->addItem(tr("Все упражнения"));

    FRetry.setInterval(kRetryMs);
    connect(&FRetry, &QTimer::timeout, this, Guarded([this] {
        if (Connect())
            Refresh();
    }));
    // The driver says nothing when its connection dies, and the notices just
    // stop: the connection is asked something every few seconds, and one
    // that has gone is made afresh (the table read again then shows what
    // was filed meanwhile).
    FHeartbeat.setInterval(kHeartbeatMs);
    connect(&FHeartbeat, &QTimer::timeout, this, Guarded([this] {
        if (Connected() && FServer->ServerVersion() < 0)
            Unreachable(tr("соединение с сервером потеряно"));
    }));
    FRefresh.setSingleShot(true);
    FRefresh.setInterval(20);
    connect(&FRefresh, &QTimer::timeout, this, Guarded([this] { Refresh(); }));

    connect(cbClass, &QComboBox::activated, this, Guarded([this] { ChooseClass(cbClass->currentText()); }));
    connect(cbClass->lineEdit(), &QLineEdit::editingFinished, this, Guarded([this] {
        if (Connected() && cbClass->currentText().trimmed() != Query().klass)
            ChooseClass(cbClass->currentText());
    }));
    connect(deDate, &QDateEdit::dateChanged, this, Guarded([this] { Refresh(); }));
    connect(cbExercise, &QComboBox::activated, this, Guarded([this] { Refresh(); }));
    connect(btnRoster, &QPushButton::clicked, this, Guarded([this] { EditRoster(); }));
    connect(btnCsv, &QPushButton::clicked, this, Guarded([this] {
        Export(LessonFileName(QStringLiteral(".csv")),
               [this](const QString &path, QString *error) { return ExportCsvTo(path, error); });
    }));
    connect(btnPdf, &QPushButton::clicked, this, Guarded([this] {
        Export(LessonFileName(QStringLiteral(".pdf")),
               [this](const QString &path, QString *error) { return ExportPdfTo(path, error); });
    }));
    for (QWidget *w : std::initializer_list<QWidget *>{btnRoster, btnCsv, btnPdf})
        w->setEnabled(false);
}

TClassF::~TClassF()
{
    FRetry.stop();
    FRefresh.stop();
    FHeartbeat.stop();
    cbClass->lineEdit()->disconnect(this);
    tvDay->setModel(nullptr); // the models go before the view
}

void TClassF::SetSavePathHookForTesting(std::function<QString(const QString &)> hook)
{
    savePathHook() = std::move(hook);
}

void TClassF::SetMessageHookForTesting(std::function<void(const QString &)> hook) { messageHook() = std::move(hook); }

QString TClassF::FilesOnlyText()
{
    return tr("Роль этого компьютера в журнале класса — только сдавать серии; журнал класса открывается"
              " на компьютере учителя.");
}

bool TClassF::Connected() const { return FServer && FServer->IsOpen(); }

bool TClassF::Connect()
{
    FFilesOnly = false;
    FServer = std::make_shared<ClassServer>(FService);
    QString reason;
    if (!FServer->Open(&reason)) {
        Unreachable(reason);
        return false;
    }
    FRetry.stop();
    if (!FServer->MayReadClass()) {
        FServer.reset();
        FFilesOnly = true;
        Tell(FilesOnlyText());
        return false;
    }
    setWindowTitle(tr("Класс — %1").arg(FServer->Describe()));
    // Each series filed on the server is told here: the table is read again.
    QSqlDriver *driver = FServer->Database().driver();
    driver->subscribeToNotification(ClassServer::FiledChannel());
    connect(driver, &QSqlDriver::notification, this, [this] { RefreshSoon(); });
    for (QWidget *w : std::initializer_list<QWidget *>{btnRoster, btnCsv, btnPdf})
        w->setEnabled(true);
    FHeartbeat.start();
    ShowClasses();
    return Connected();
}

void TClassF::Unreachable(const QString &reason)
{
    FHeartbeat.stop();
    FServer.reset();
    for (QWidget *w : std::initializer_list<QWidget *>{btnRoster, btnCsv, btnPdf})
        w->setEnabled(false);
    Tell(tr("Журнал класса недоступен: %1").arg(reason));
    if (!FRetry.isActive())
        FRetry.start();
}

TClassF::Access TClassF::Open(QWidget *beside)
{
    if (!Connected())
        Connect();
    if (FFilesOnly)
        return Access::FilesOnly;
    if (!FPlaced && beside) {
        FPlaced = true;
        if (const QScreen *screen = beside->screen()) {
            const QRect available = screen->availableGeometry();
            resize(size().boundedTo(available.size()));
            move(KeepWithin(QRect(beside->frameGeometry().topLeft() + QPoint(60, 60), size()), available));
        }
    }
    show();
    raise();
    activateWindow();
    if (!Connected())
        return Access::Unreachable;
    Refresh();
    return Access::Reads;
}

void TClassF::Tell(const QString &text) { lbStatus->setText(text); }

ClassDayQuery TClassF::Query() const
{
    const QVariant exercise = cbExercise->currentData();
    return ClassDayQuery{cbClass->currentText().trimmed(), deDate->date(), deDate->date(),
                         exercise.isValid() ? std::optional<QString>(exercise.toString()) : std::nullopt};
}

void TClassF::ShowClasses()
{
    QString reason;
    const std::optional<ClassRoster> roster = FServer->Roster(&reason);
    if (!roster)
        return ReadFailed(reason);
    const QString current = cbClass->currentText().trimmed();
    const QStringList classes = roster->Classes();
    cbClass->blockSignals(true);
    cbClass->clear();
    cbClass->addItems(classes);
    cbClass->setEditText(current.isEmpty() && !classes.isEmpty() ? classes.first() : current);
    cbClass->blockSignals(false);
    ShowExercises();
}

void TClassF::ShowExercises()
{
    if (!Connected())
        return;
    QString reason;
    const std::optional<QStringList> exercises = ClassReport(FServer->Database()).Exercises(Query().klass, &reason);
    if (!exercises)
        return ReadFailed(reason);
    const QVariant current = cbExercise->currentData();
    cbExercise->blockSignals(true);
    cbExercise->clear();
    cbExercise->addItem(tr("Все упражнения"));
    for (const QString &kept : *exercises)
        cbExercise->addItem(exerciseTitle(kept), kept);
    // The exercise chosen stays chosen while the class has it.
    const int again = current.isValid() ? cbExercise->findData(current) : 0;
    cbExercise->setCurrentIndex(std::max(0, again));
    cbExercise->blockSignals(false);
}

void TClassF::ChooseClass(const QString &klass)
{
    cbClass->setEditText(klass.trimmed());
    ShowExercises();
    Refresh();
}

void TClassF::ChooseExercise(const std::optional<QString> &exercise)
{
    const int index = exercise ? cbExercise->findData(*exercise) : 0;
    cbExercise->setCurrentIndex(std::max(0, index));
    Refresh();
}

void TClassF::Refresh()
{
    FRefresh.stop(); // this reading serves what was told so far
    if (!Connected())
        return;
    ShowDay();
    if (Connected())
        ShowWeeks();
}

void TClassF::RefreshSoon()
{
    if (!FRefresh.isActive())
        FRefresh.start();
}

void TClassF::ReadFailed(const QString &reason)
{
    if (FServer && FServer->ServerVersion() < 0) // the connection itself is gone
        Unreachable(reason);
    else
        Tell(tr("Не удалось прочесть журнал класса: %1").arg(reason));
}

void TClassF::ShowDay()
{
    QString reason;
    const std::optional<QList<ClassDayRow>> rows = ClassReport(FServer->Database()).Day(Query(), &reason);
    if (!rows)
        return ReadFailed(reason);
    FModel.setRowCount(0);
    int series = 0;
    for (const ClassDayRow &row : *rows) {
        QStandardItem *name = cell(row.name, row.name);
        if (!row.onRoster) {
            QFont italic = font();
            italic.setItalic(true);
            name->setFont(italic);
            name->setToolTip(tr("Нет в списке класса"));
        }
        const bool fired = row.series > 0;
        const auto percent = [](double share) { return QString::number(Percent(share)); };
        FModel.appendRow({name, cell(QString::number(row.series), row.series),
                          fired ? cell(QString::number(row.best), row.best) : cell(QStringLiteral("—"), -1),
                          fired ? cell(QString::number(row.last), row.last) : cell(QStringLiteral("—"), -1),
                          fired ? cell(row.lastAt.toLocalTime().toString(QStringLiteral("HH:mm")), row.lastAt)
                                : cell(QStringLiteral("—"), QDateTime()),
                          figure(row.meanRadiusRings, [](double v) { return Decimal(v); }),
                          figure(row.inTen, percent), figure(row.inNine, percent),
                          figure(row.holdRings, [](double v) { return Decimal(v); })});
        series += row.series;
    }
    Tell(tr("Учеников: %1, серий: %2.").arg(rows->size()).arg(series));
    Q_EMIT DayShown();
}

void TClassF::ShowWeeks()
{
    const ClassDayQuery query = Query();
    QString reason;
    const std::optional<QList<ClassWeek>> weeks =
        ClassReport(FServer->Database()).Weeks(query.klass, query.exercise, query.to, kWeeks, &reason);
    if (!weeks)
        return ReadFailed(reason);
    QList<TProgressChart::Point> points;
    for (const ClassWeek &week : *weeks)
        if (week.series > 0)
            points << TProgressChart::Point{week.monday.startOfDay(), qRound(week.meanTotal),
                                            week.meanRadiusRings.value_or(0)};
    Chart->SetPoints(points);
}

QString TClassF::LessonFileName(const QString &ending) const
{
    return ExportFileName(tr("класс-%1-%2").arg(Query().klass, deDate->date().toString(Qt::ISODate)), ending);
}

void TClassF::EditRoster()
{
    if (!Connected())
        return;
    TClassRosterF roster(FServer, Query().klass, this);
    connect(&roster, &TClassRosterF::Changed, this, Guarded([this] {
        ShowClasses();
        Refresh();
    }));
    roster.exec();
}

bool TClassF::ExportCsvTo(const QString &path, QString *error)
{
    QString reason;
    const std::optional<QList<JournalSeries>> series =
        Connected() ? ClassReport(FServer->Database()).Series(Query(), &reason) : std::nullopt;
    if (!series) {
        *error = SaveFailureText(path, Connected() ? reason : tr("журнал класса недоступен"));
        return false;
    }
    return ExportCsv(*series, path, error);
}

bool TClassF::ExportPdfTo(const QString &path, QString *error)
{
    const ClassDayQuery query = Query();
    QString reason;
    const std::optional<QList<ClassBestAndLast>> learners =
        Connected() ? ClassReport(FServer->Database()).BestAndLast(query, &reason) : std::nullopt;
    if (!learners) {
        *error = SaveFailureText(path, Connected() ? reason : tr("журнал класса недоступен"));
        return false;
    }
    QString title = tr("Класс %1 — %2").arg(query.klass, query.from.toString(QStringLiteral("dd.MM.yyyy")));
    if (query.exercise)
        title += QStringLiteral(" — ") + exerciseTitle(*query.exercise);
    return ExportClassPdf(*learners, title, path, error);
}

void TClassF::Export(const QString &suggested, const std::function<bool(const QString &, QString *)> &write)
{
    SaveExport(this, tr("Класс"), suggested, savePathHook(), messageHook(), write);
}
