#pragma once

#include "journal/journal.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The journal's database: one SQLite file, opened through Qt SQL by one
// thread (each thread that needs the journal has a store of its own).
//
// Opening to write checks what it opens: a folder in the file's place, a file
// that is not a database or fails SQLite's quick check, one made by a later
// version of the program, or one in a folder the user may not write is
// refused with a reason, and never written to. A missing file is made, with
// the folders above it. The database runs in WAL mode: a series is written in
// one transaction, so a program killed at any moment leaves every committed
// series and nothing half written, and two programs may write at once. Each
// series carries its identity, and a series the journal holds already is
// not written again.
//
// Opened to read only, a journal that cannot be written (damaged, in a
// folder without the right to write) can still be shown and exported:
// nothing is ever written through such a store.
class JournalStore
{
public:
    JournalStore();
    ~JournalStore();
    JournalStore(const JournalStore &) = delete;
    JournalStore &operator=(const JournalStore &) = delete;

    // $XDG_DATA_HOME/vimbra/journal.sqlite (~/.local/share/vimbra/ by default).
    static QString DefaultPath();
    // The schema this program writes; older files are brought up to it.
    static int SchemaVersion();

    // False with a reason a user can read ("файл повреждён", ...) when the
    // file cannot serve as the journal; *damaged tells a file that is not a
    // sound database (a new journal beside it may be offered).
    // Thorough runs SQLite's quick check over the whole file (as the writer
    // does before it writes); otherwise only the file's header is read, and
    // damage further in shows as failed reads.
    enum class Check { Thorough, Header };
    enum class Access { Write, ReadOnly };
    bool Open(const QString &path, QString *reason, bool *damaged = nullptr, Check check = Check::Thorough,
              Access access = Access::Write);
    bool IsOpen() const;
    bool IsReadOnly() const { return FReadOnly; }
    // How long a statement waits for another program that holds the journal
    // (5 s unless set); applies at once to an open store.
    void SetBusyTimeout(int ms);
    QString Path() const { return FPath; }
    void Close();

    // Writes a finished series and its shots in one transaction and gives it
    // its id; a series without a shooter (a null name) is filed under the
    // shooter in use (the "shooter" setting). A series without an identity
    // is given one. A series the journal holds already (the same identity)
    // is left as it is: true, its id, and *existed set. False with a reason
    // when the write failed: nothing of it stays.
    bool Write(JournalSeries &series, QString *reason, bool *existed = nullptr);
    // A series of the same time, total (and shooter, if it names one) is in
    // the journal: for series that carry no identity of their own.
    bool HoldsAlike(const JournalSeries &series);
    // The last write failed because another program held the journal.
    bool WasBusy() const { return FBusy; }

    // The names series are filed under, in alphabetical order.
    QStringList Shooters();
    // A shooter's series, newest first, without their shots (nor their
    // identities).
    QList<JournalSeries> Summaries(const QString &shooter);
    // One series without its shots, as Summaries() lists it.
    std::optional<JournalSeries> Summary(qint64 id);
    // One series with its shots (and their aim traces, unless not wanted).
    std::optional<JournalSeries> Read(qint64 id, bool traces = true);
    // A series listed by Summaries() given its shots (and their aim traces,
    // unless not wanted).
    void ReadShots(JournalSeries &series, bool traces = true);
    // Every series of a shooter with its shots, oldest first, without the
    // aim traces (for exports).
    QList<JournalSeries> ReadAll(const QString &shooter);
    // Every aim trace of a shooter's series, one shot's at a time, in the
    // order Summaries() lists the series (newest first): a journal's traces
    // are never all held at once. `each` returning false stops the reading.
    void ReadTraces(const QString &shooter,
                    const std::function<bool(qint64 seriesId, int number, const QList<TraceSample> &trace)> &each);

    // The class journal's queue: the series filed for it and not yet sent,
    // oldest first (a series refused for good is left out).
    struct Queued {
        QUuid uid;
        QString klass;
        qint64 id = 0; // in this journal
    };
    QList<Queued> Outbox(int limit);
    int OutboxSize();
    // A queued series is on the class's server (refused null), or was
    // refused by it for good (not offered again; the reason is kept).
    bool Dequeue(const QUuid &uid, const QString &refused = QString());
    // The series the server refused offered again (the roster may take
    // them now); how many.
    int RequeueRefused();

    // An aim trace as the journal packs it (a few hundred bytes), and back.
    static QByteArray PackTrace(const QList<TraceSample> &trace);
    static QList<TraceSample> UnpackTrace(const QByteArray &packed);

    // Small values kept with the journal (the shooter in use).
    QString Setting(const QString &key);
    bool SetSetting(const QString &key, const QString &value);

    // SQLite's full integrity check: true when it says "ok".
    bool IntegrityOk();

private:
    QString SeriesColumns(bool identity) const;
    QString FConnection;
    QString FPath;
    bool FReadOnly = false;
    int FVersion = 0;          // the file's schema (older ones are read as they are, read only)
    int FBusyTimeoutMs = 5000;
    bool FBusy = false;
};
