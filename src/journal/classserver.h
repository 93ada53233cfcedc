#pragma once

#include "journal/classroster.h"
#include "journal/journal.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>

// The class journal: one PostgreSQL server a whole lab files its series on,
// reached through Qt SQL's PostgreSQL driver by one thread (each thread that
// needs the server has a connection of its own).
//
// The server is found the way PostgreSQL's own clients find it: through a
// connection service (pg_service.conf) named in the settings, with libpq's
// environment (PGSERVICEFILE, PGSYSCONFDIR, PGHOST, PGPASSFILE...) honoured
// as libpq honours it; the password lives only where libpq keeps it
// (.pgpass, the service file). No service and no environment: libpq's own
// defaults.
//
// The server's schema (schema "vimbra") is versioned: each version adds to
// the last, never edits it, and a connection brings an older schema up to
// its own version under an advisory lock, so that a lab's computers starting
// at once apply each step once. A role that may not change the schema (a
// learner's) finds it up to date or says that the administrator is to
// update it. Who may do what is the server's to enforce (the roles and the
// row-level security the schema sets up): a learner's computer may add series
// for the learners on the roster and read the roster, nothing more; the
// teacher's role reads everything and keeps the roster.
//
// Every statement with a value in it is prepared; no text is ever built from
// a value.
class ClassServer
{
public:
    explicit ClassServer(const QString &service = QString());
    ~ClassServer();
    ClassServer(const ClassServer &) = delete;
    ClassServer &operator=(const ClassServer &) = delete;

    // The schema this program works with.
    static int SchemaVersion();
    // The channel a filed series is told on (its identity as the payload).
    static QString FiledChannel();

    QString Service() const { return FService; }
    // Connects (waiting at most a few seconds) and brings the schema up to
    // date; false with the reason a user can read.
    bool Open(QString *reason);
    bool IsOpen() const;
    void Close();
    // Applies the schema's missing steps under the advisory lock. False with
    // a reason when the role may not, or a step failed (nothing of it stays).
    bool Migrate(QString *reason);
    // The schema's version on the server (0: none yet); -1 when unknown.
    int ServerVersion();

    // Files a series in one transaction: its identity is the key, so a
    // series sent again is left as it is.
    enum class Outcome {
        Sent,        // filed now
        AlreadyThere, // filed before (a retry)
        Refused,     // the server will never take it (not on the roster, no right): don't offer it again
        Unreachable, // not now: the connection failed; try again later
    };
    Outcome Send(const JournalSeries &series, const QString &computer, QString *reason);

    std::optional<ClassRoster> Roster(QString *reason);
    // The roster's keeping (the teacher's role): false with the server's reason.
    bool AddLearners(const QList<ClassRoster::Learner> &learners, QString *reason);
    bool RemoveLearner(const ClassRoster::Learner &learner, QString *reason);

    // The role may read the whole class's series (the teacher's).
    bool MayReadClass();
    // Who and where, for the check and the class window's title.
    QString Describe();

    // For reading on this thread (the class window's queries) and for
    // subscribing to FiledChannel().
    QSqlDatabase Database() const;

    // The last failure was the connection's: the server is to be opened
    // afresh (and the work tried again later).
    bool Lost() const { return FLost; }

private:
    bool Fail(const class QSqlQuery &query, QString *reason);
    QString FService;
    QString FConnection;
    bool FLost = false;
};
