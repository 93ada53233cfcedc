#pragma once

#include "journal/classroster.h"
#include "journal/journal.h"
#include "journal/journalstore.h"

#include <QObject>

#include <memory>

class ClassSender;
class JournalWriter;

// The program's journal: files the finished series (on the writer's thread),
// reads them back for the journal window, and keeps the shooter in use.
//
// The writer opens and checks the journal as soon as the keeper is made.
// When the journal is first needed (a series filed, the window opened) and
// cannot be used, Unusable says so once ("Журнал недоступен: <path>:
// <reason>"), for the window to tell the user, and training goes on as
// before. Only the writer writes: the
// window reads through a read-only connection, and a journal that cannot be
// written (damaged, no right to write) is still shown that way. A damaged
// file is never written, overwritten or deleted: only if the user chooses so
// is it set aside (renamed, with a note of when) for a new journal in its
// place. A series that could not be written is kept beside the journal and
// written as soon as it can be, by this run or the next; one that can be kept
// nowhere is told at the end.
class TJournalKeeper : public QObject
{
    Q_OBJECT
public:
    explicit TJournalKeeper(const QString &path = JournalStore::DefaultPath(), QObject *parent = nullptr);
    ~TJournalKeeper() override;

    QString Path() const { return FPath; }

    // Files a finished series under the shooter in use; returns at once.
    void Record(JournalSeries series);
    // The store the window reads, open to read only; nullptr when the
    // journal cannot even be read. The user is told once when it cannot be
    // written.
    JournalStore *Reader();
    // The journal can be read but not written (Reader() gives its series).
    bool ReadOnly() const { return FReadOnly; }
    QString ReadOnlyReason() const { return FReadOnlyReason; }

    // A series that waits for its shooter, kept beside the journal under the
    // name it carries (not in the journal) until it is filed: a program
    // ended meanwhile leaves it for the next run. Filing a series of the same
    // identity ends the holding.
    void Hold(const JournalSeries &series);

    // The shooter in use: the one chosen last, in this run or before. A
    // series filed with no shooter of its own goes under it.
    QString Shooter();
    // Their class on the class roster, as chosen with them; empty: none.
    QString ShooterClass() const { return FShooterClass; }
    void SetShooter(const QString &name, const QString &klass = QString());

    // What the journal remembers from the last run (the shooter, their class
    // and the class roster) has been read: read on the writer's thread as
    // the keeper starts, so the window never waits for the journal's check.
    // Remembered() says so once; until then Roster() is empty.
    bool RememberedRead() const { return FRememberedRead; }

    // Files every series on the class journal too: the PostgreSQL server
    // the connection service names (empty: libpq's environment alone).
    // Series go through this journal, queued there until the server has
    // them; when the server cannot be reached, ClassUnreachable says so
    // once, and training goes on.
    void UseClassJournal(const QString &service);
    // A class journal (a PostgreSQL server) is configured for this computer.
    bool ClassJournal() const { return FClassJournal; }
    QString ClassService() const { return FClassService; }
    // Reads the roster from the server now (when it answers).
    void RefreshRoster();
    // The class roster as last read from the class journal (remembered from
    // an earlier run until the server answers); empty without one.
    ClassRoster Roster() const { return FRoster; }
    // The roster as the class journal gives it: kept with the local journal
    // for the next run; RosterChanged when it differs from the one known.
    void SetRoster(const ClassRoster &roster);

    // Series written so far in this run, and those waiting.
    int Written() const { return FWritten; }
    int Pending() const;

    // Ends the writer: what is queued is written, waiting at most about a
    // second for a journal another program holds, and the rest kept beside
    // the journal; series that can be kept nowhere are told through Lost
    // («Не удалось сохранить N серий: <reason>»). Nothing is filed after it.
    void Finish();

    // After Unusable offered it: the damaged file is set aside (renamed, with
    // a note of when) and a new journal started in its place.
    void StartNewJournal();

Q_SIGNALS:
    // A shooter was chosen (in the journal window, or asked for), with
    // their class.
    void ShooterChosen(const QString &name, const QString &klass);
    // What the journal remembers has been read (RememberedRead()).
    void Remembered();
    // The roster read from the class journal differs from the one known.
    void RosterChanged();
    // The class journal cannot be reached: what to tell the user (said once
    // a run).
    void ClassUnreachable(const QString &text);
    // The class journal refused a series (a name not on its roster): what to
    // tell the user (said once a run). The series stays queued here, and is
    // offered again whenever the roster is read.
    void ClassRefused(const QString &text);
    // A series is on the class journal (filed now, or found filed before),
    // or was refused by it for good (refused: the server's reason).
    void ClassSent(const QUuid &uid, bool filedBefore, const QString &refused);
    // A series is in the journal.
    void SeriesWritten(qint64 id);
    // The journal cannot be used: what to tell the user, more words to say
    // under it, and whether a new journal may be offered (the file is
    // damaged; answer with StartNewJournal()). Said once a run, and again
    // only for a new journal that fails too.
    void Unusable(const QString &text, const QString &detail, bool offerNew);
    // Series that could be kept nowhere, said as the keeper finishes.
    void Lost(const QString &text);

private:
    void Unavailable(const QString &reason, bool damaged);
    void TakeRemembered(const QHash<QString, QString> &values);
    bool SetAsideDamaged();

    QString FPath;
    bool FClassJournal = false;
    QString FClassService;
    bool FClassTold = false;
    bool FRefusedTold = false;
    ClassRoster FRoster;
    std::unique_ptr<ClassSender> FSender;
    bool FRosterSet = false; // given in this run: what the journal remembers is older
    bool FRememberedRead = false;
    QString FShooter;
    QString FShooterClass;
    bool FShooterKnown = false;
    bool FTold = false;   // the user has been told about the journal
    bool FNeeded = false; // a series filed or the journal shown: failures are told
    bool FDamaged = false; // the journal told unusable is damaged
    bool FReadOnly = false;
    QString FReadOnlyReason;
    int FWritten = 0;
    std::unique_ptr<JournalStore> FReader;
    std::unique_ptr<JournalWriter> FWriter;
};
