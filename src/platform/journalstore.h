#pragma once

#include "platform/journal.h"

#include <QString>
#include <QStringList>

#include <optional>

// The journal's database: one SQLite file, opened through Qt SQL by one
// thread (each thread that needs the journal has a store of its own).
//
// Opening checks what it opens: a folder in the file's place, a file that is
// not a database or fails SQLite's quick check, or one made by a later
// version of the program is refused with a reason, and never written to.
// A missing file is made, with the folders above it. The database runs in
// WAL mode: a series is written in one transaction, so a program killed at
// any moment leaves every committed series and nothing half written, and
// two programs may write at once.
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
    bool Open(const QString &path, QString *reason, bool *damaged = nullptr, Check check = Check::Thorough);
    bool IsOpen() const;
    QString Path() const { return FPath; }
    void Close();

    // Writes a finished series and its shots in one transaction and gives it
    // its id; a series without a shooter (a null name) is filed under the
    // shooter in use (the "shooter" setting). False with a reason when the write failed: nothing of it stays.
    bool Write(JournalSeries &series, QString *reason);

    // The names series are filed under, in alphabetical order.
    QStringList Shooters();
    // A shooter's series, newest first, without their shots.
    QList<JournalSeries> Summaries(const QString &shooter);
    // One series with its shots (and their aim traces, unless not wanted).
    std::optional<JournalSeries> Read(qint64 id, bool traces = true);
    // A series listed by Summaries() given its shots (and their aim traces,
    // unless not wanted).
    void ReadShots(JournalSeries &series, bool traces = true);
    // Every series of a shooter with its shots, oldest first, without the
    // aim traces (for exports).
    QList<JournalSeries> ReadAll(const QString &shooter);

    // Small values kept with the journal (the shooter in use).
    QString Setting(const QString &key);
    bool SetSetting(const QString &key, const QString &value);

    // SQLite's full integrity check: true when it says "ok".
    bool IntegrityOk();

private:
    QString FConnection;
    QString FPath;
};
