#include "journal/journalkeeper.h"

#include "journal/classsender.h"
#include "journal/journalwriter.h"

#include <QDateTime>
#include <QFile>
#include <QSysInfo>
#include <QUuid>

namespace {
const QString kShooterKey = QStringLiteral("shooter");
const QString kShooterClassKey = QStringLiteral("shooter-class");
const QString kRosterKey = QStringLiteral("class-roster");
} // namespace

TJournalKeeper::TJournalKeeper(const QString &path, QObject *parent) : QObject(parent), FPath(path)
{
    FWriter = std::make_unique<JournalWriter>(
        FPath, this, [this](const JournalSeries &written, bool ok, const QString &reason, bool damaged) {
            if (ok) {
                ++FWritten;
                if (written.forClassJournal && FSender)
                    FSender->Kick();
                Q_EMIT SeriesWritten(written.id);
            } else if (FNeeded) {
                Unavailable(reason, damaged);
            }
        });
    FWriter->ReadSettings({kShooterKey, kShooterClassKey, kRosterKey},
                          [this](const QHash<QString, QString> &values) { TakeRemembered(values); });
}

void TJournalKeeper::TakeRemembered(const QHash<QString, QString> &values)
{
    // A shooter or a roster given meanwhile is newer than what is remembered.
    if (!FShooterKnown) {
        FShooter = values.value(kShooterKey);
        FShooterClass = values.value(kShooterClassKey);
        FShooterKnown = true;
    }
    if (!FRosterSet) {
        const ClassRoster remembered = ClassRoster::FromText(values.value(kRosterKey));
        if (remembered != FRoster) {
            FRoster = remembered;
            Q_EMIT RosterChanged();
        }
    }
    FRememberedRead = true;
    Q_EMIT Remembered();
}

void TJournalKeeper::SetRoster(const ClassRoster &roster)
{
    const bool first = !FRosterSet;
    FRosterSet = true;
    if (roster == FRoster && !first)
        return;
    if (FWriter)
        FWriter->SetSetting(kRosterKey, roster.ToText());
    if (roster == FRoster)
        return;
    FRoster = roster;
    Q_EMIT RosterChanged();
}

void TJournalKeeper::Hold(const JournalSeries &series)
{
    if (FWriter)
        FWriter->Hold(series);
}

TJournalKeeper::~TJournalKeeper() { Finish(); }

void TJournalKeeper::Record(JournalSeries series)
{
    if (!FWriter)
        return;
    FNeeded = true;
    // A series whose shooter is not known yet (nobody has been chosen in
    // this run) goes under the shooter the journal remembers: the writer
    // reads it on its thread.
    if (series.shooter.isNull())
        series.shooter = FShooterKnown ? FShooter : QString();
    if (series.uid.isNull())
        series.uid = QUuid::createUuid();
    // On to the class journal when there is one, unless the series is not
    // for it (one filed with nobody named).
    series.forClassJournal = FClassJournal && series.forClassJournal;
    FWriter->Write(series);
}

int TJournalKeeper::Pending() const { return FWriter ? FWriter->Pending() : 0; }

void TJournalKeeper::UseClassJournal(const QString &service)
{
    if (FSender || !FWriter)
        return;
    FClassJournal = true;
    FClassService = service;
    ClassSender::Events events;
    events.unreachable = [this](const QString &reason) {
        if (FClassTold)
            return;
        FClassTold = true;
        Q_EMIT ClassUnreachable(tr("Журнал класса недоступен: %1; серии сохраняются на этом компьютере").arg(reason));
    };
    events.roster = [this](const ClassRoster &roster) { SetRoster(roster); };
    events.sent = [this](const QUuid &uid, ClassServer::Outcome outcome, const QString &reason) {
        if (outcome == ClassServer::Outcome::Refused && !FRefusedTold) {
            FRefusedTold = true;
            Q_EMIT ClassRefused(tr("Журнал класса не принял серию: %1. Серия сохранена на этом компьютере и будет "
                                   "отправлена снова, когда список класса изменится.")
                                    .arg(reason));
        }
        Q_EMIT ClassSent(uid, outcome == ClassServer::Outcome::AlreadyThere,
                         outcome == ClassServer::Outcome::Refused ? reason : QString());
    };
    // The sender reads the queue once the writer has the journal open (and
    // brought up to date).
    JournalWriter *writer = FWriter.get();
    FSender = std::make_unique<ClassSender>(FPath, service, QSysInfo::machineHostName(), this, std::move(events),
                                            [writer] { writer->WaitOpened(); });
}

void TJournalKeeper::RefreshRoster()
{
    if (FSender)
        FSender->RefreshRoster();
}

void TJournalKeeper::Finish()
{
    FSender.reset(); // before the writer it waits for
    if (!FWriter)
        return;
    const JournalWriter::Loss loss = FWriter->Finish();
    FWriter.reset();
    FReader.reset();
    if (loss.count > 0) {
        const int n = loss.count % 100;
        const QString series = n % 10 == 1 && n != 11                             ? tr("серию")
                               : n % 10 >= 2 && n % 10 <= 4 && (n < 12 || n > 14) ? tr("серии")
                                                                                  : tr("серий");
        Q_EMIT Lost(tr("Не удалось сохранить %1 %2: %3").arg(loss.count).arg(series, loss.reason));
    }
}

JournalStore *TJournalKeeper::Reader()
{
    if (!FWriter)
        return nullptr;
    FNeeded = true;
    // The writer has opened (and checked) the journal, or found why not:
    // the window reads what the writer found, never more.
    const JournalWriter::Opening opening = FWriter->WaitOpened();
    if (FReader && FReader->IsOpen() && FReadOnly == !opening.open)
        return FReader.get();
    FReader = std::make_unique<JournalStore>();
    FReadOnly = !opening.open;
    FReadOnlyReason = opening.open ? QString() : opening.reason;
    if (!opening.open) {
        Unavailable(opening.reason, opening.damaged);
        if (!FWriter || !FReader)
            return nullptr;
    }
    QString reason;
    if (FReader->Open(FPath, &reason, nullptr, JournalStore::Check::Header, JournalStore::Access::ReadOnly))
        return FReader.get();
    FReader.reset();
    return nullptr;
}

QString TJournalKeeper::Shooter()
{
    if (!FShooterKnown) {
        if (JournalStore *store = Reader()) {
            FShooter = store->Setting(kShooterKey);
            FShooterClass = store->Setting(kShooterClassKey);
        }
        FShooterKnown = true;
    }
    return FShooter;
}

void TJournalKeeper::SetShooter(const QString &name, const QString &klass)
{
    FShooter = name.trimmed();
    if (FShooter.isNull())
        FShooter = QLatin1String("");
    FShooterClass = FShooter.isEmpty() ? QString() : klass.trimmed();
    FShooterKnown = true;
    if (FWriter) {
        FWriter->SetSetting(kShooterKey, FShooter);
        FWriter->SetSetting(kShooterClassKey, FShooterClass);
    }
    Q_EMIT ShooterChosen(FShooter, FShooterClass);
}

// Told once a run; a damaged file may be set aside for a new journal.
void TJournalKeeper::Unavailable(const QString &reason, bool damaged)
{
    if (FTold)
        return;
    FTold = true;
    FDamaged = damaged;
    Q_EMIT Unusable(tr("Журнал недоступен: %1: %2").arg(FPath, reason),
                    tr("Тренироваться можно и без журнала; серии, которые не удалось записать, "
                                   "будут записаны, когда журнал станет доступен."),
                    damaged);
}

void TJournalKeeper::StartNewJournal()
{
    if (!FDamaged || !SetAsideDamaged())
        return;
    FDamaged = false;
    FTold = false; // a new journal: told again if that too fails
    FReader.reset();
    if (FWriter)
        FWriter->Retry();
    if (FSender)
        FSender->ReopenJournal();
}

// The damaged file (and its write-ahead log) kept beside under a new name.
bool TJournalKeeper::SetAsideDamaged()
{
    const QString aside = FPath + QStringLiteral(".damaged-")
                          + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QFile::rename(FPath, aside))
        return false;
    for (const char *suffix : {"-wal", "-shm"})
        if (QFile::exists(FPath + QLatin1String(suffix)))
            QFile::rename(FPath + QLatin1String(suffix), aside + QLatin1String(suffix));
    return true;
}
