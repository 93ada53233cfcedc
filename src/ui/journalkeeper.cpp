#include "ui/journalkeeper.h"

#include "platform/journalwriter.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>

namespace {
const QString kShooterKey = QStringLiteral("shooter");

std::function<bool(const QString &, bool)> &messageHook()
{
    static std::function<bool(const QString &, bool)> hook;
    return hook;
}
} // namespace

TJournalKeeper::TJournalKeeper(const QString &path, QObject *parent) : QObject(parent), FPath(path) {}

TJournalKeeper::~TJournalKeeper()
{
    FWriter.reset(); // writes what is queued first
}

void TJournalKeeper::SetMessageHookForTesting(std::function<bool(const QString &, bool)> hook)
{
    messageHook() = std::move(hook);
}

void TJournalKeeper::Record(JournalSeries series)
{
    // Until the window has said who shoots, the writer files the series
    // under the shooter the journal remembers (it reads it on its thread).
    series.shooter = FShooterKnown ? FShooter : QString();
    if (!FWriter)
        FWriter = std::make_unique<JournalWriter>(
            FPath, this, [this](const JournalSeries &written, bool ok, const QString &reason, bool damaged) {
                if (ok) {
                    ++FWritten;
                    Q_EMIT SeriesWritten(written.id);
                } else {
                    Unavailable(reason, damaged);
                }
            });
    FWriter->Write(series);
}

int TJournalKeeper::Pending() const { return FWriter ? FWriter->Pending() : 0; }

JournalStore *TJournalKeeper::Reader()
{
    if (FReader && FReader->IsOpen())
        return FReader.get();
    FReader = std::make_unique<JournalStore>();
    QString reason;
    bool damaged = false;
    // The window reads: the header is checked here; the writer checks the
    // whole file before it writes.
    if (FReader->Open(FPath, &reason, &damaged, JournalStore::Check::Header))
        return FReader.get();
    Unavailable(reason, damaged);
    return FReader && FReader->IsOpen() ? FReader.get() : nullptr;
}

QString TJournalKeeper::Shooter()
{
    if (!FShooterKnown) {
        if (JournalStore *store = Reader())
            FShooter = store->Setting(kShooterKey);
        FShooterKnown = true;
    }
    return FShooter;
}

void TJournalKeeper::SetShooter(const QString &name)
{
    FShooter = name.trimmed();
    if (FShooter.isNull())
        FShooter = QLatin1String("");
    FShooterKnown = true;
    if (JournalStore *store = Reader())
        store->SetSetting(kShooterKey, FShooter);
}

// Told once a run; a damaged file may be set aside for a new journal.
void TJournalKeeper::Unavailable(const QString &reason, bool damaged)
{
    if (FTold)
        return;
    FTold = true;
    const QString text = QStringLiteral("Журнал недоступен: %1: %2").arg(FPath, reason);
    bool startNew = false;
    if (messageHook()) {
        startNew = messageHook()(text, damaged);
    } else {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Журнал"),
                        text + QStringLiteral("\n\nТренироваться можно и без журнала; серии, которые не удалось "
                                              "записать, будут записаны, когда журнал станет доступен."),
                        QMessageBox::NoButton, QApplication::activeWindow());
        QPushButton *fresh = damaged ? box.addButton(QStringLiteral("Начать новый журнал"), QMessageBox::AcceptRole)
                                     : nullptr;
        box.addButton(QStringLiteral("Продолжить без журнала"), QMessageBox::RejectRole);
        box.exec();
        startNew = fresh && box.clickedButton() == fresh;
    }
    if (damaged && startNew && SetAsideDamaged()) {
        FTold = false; // a new journal: told again if that too fails
        if (FReader)
            FReader->Close();
        if (FWriter)
            FWriter->Retry();
    }
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
