#pragma once

#include "platform/journal.h"
#include "platform/journalstore.h"

#include <QObject>

#include <functional>
#include <memory>

class JournalWriter;

// The program's journal: files the finished series (on the writer's thread),
// reads them back for the journal window, and keeps the shooter in use.
//
// When the journal is first needed and cannot be used, the user is told so
// once ("Журнал недоступен: <path>: <reason>") and training goes on as
// before. A damaged file is never written, overwritten or deleted: only if
// the user chooses so is it set aside (renamed, with a note of when) for a
// new journal in its place. A series that could not be written stays in
// memory and is written with the next one.
class TJournalKeeper : public QObject
{
    Q_OBJECT
public:
    explicit TJournalKeeper(const QString &path = JournalStore::DefaultPath(), QObject *parent = nullptr);
    ~TJournalKeeper() override;

    QString Path() const { return FPath; }

    // Files a finished series under the shooter in use; returns at once.
    void Record(JournalSeries series);
    // The store the window reads, open; nullptr (and the user told, once)
    // when the journal cannot be used.
    JournalStore *Reader();

    QString Shooter();
    void SetShooter(const QString &name);

    // Series written so far in this run, and those waiting.
    int Written() const { return FWritten; }
    int Pending() const;

    // Tests answer instead of the user: the text, and whether a new journal
    // may be offered; returns true to start one. Empty: the real message box.
    static void SetMessageHookForTesting(std::function<bool(const QString &text, bool offerNew)> hook);

Q_SIGNALS:
    // A series is in the journal.
    void SeriesWritten(qint64 id);

private:
    void Unavailable(const QString &reason, bool damaged);
    bool SetAsideDamaged();

    QString FPath;
    QString FShooter;
    bool FShooterKnown = false;
    bool FTold = false; // the user has been told about the journal
    int FWritten = 0;
    std::unique_ptr<JournalStore> FReader;
    std::unique_ptr<JournalWriter> FWriter;
};
