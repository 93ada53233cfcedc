#pragma once

// A private PostgreSQL server for a test (tests/e2e/pg.sh is its shell twin).
//
//   PgServer pg;
//   QString error;
//   QVERIFY2(pg.Start(&error), qPrintable(error));   // database "vimbra" made
//   pg.Psql("CREATE ROLE teacher LOGIN", nullptr, &error);
//   pg.WriteServiceFile(dir + "/pg_service.conf", "classroom", "teacher");
//   qputenv("PGSERVICEFILE", ...);                    // the program connects
//   ...                                               // with "service=classroom"
//   pg.Stop(PgServer::StopMode::Immediate);           // the server crashes
//   QVERIFY(pg.StartAgain(&error));                   // and comes back
//
// Start() runs initdb into a fresh temporary folder and starts the server
// there. The server listens on no network address, only on a Unix socket in
// a folder of its own (SocketDir(), Port()); every role logs in without a
// password (trust) until RequirePassword() names it. initdb and postgres will
// not run as root: a test running as root has them run as the user nobody
// (through runuser), a test running as anyone else runs them as itself.
//
// The destructor stops the server and removes the folder. A test killed
// outright cannot do that, so Start() also leaves a watchdog behind: a shell
// in a session of its own, not a child of the test (nothing that kills the
// test, its process group or its process tree reaches it), blocked reading a
// FIFO that only the test holds open for writing. The destructor tells it
// "done"; if instead the test dies, the kernel closes the FIFO's last writer,
// the watchdog reads end-of-file at once, stops the server (pg_ctl -m
// immediate) and removes the folder.

#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryDir;

class PgServer
{
public:
    enum class StopMode {
        Fast,      // sessions are ended, the server shuts down cleanly
        Immediate, // the server quits at once, as in a crash: recovery on restart
    };

    PgServer();
    ~PgServer();
    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    // A fresh server with the database "vimbra"; false (and why) if it did
    // not start. Once only per object.
    bool Start(QString *error);
    // Stops the server (its data kept); nothing if it does not run.
    void Stop(StopMode mode = StopMode::Fast);
    // The same data and socket again, after Stop() or a crash.
    bool StartAgain(QString *error);
    // Whether the server's postmaster runs now.
    bool Running() const;

    QString SocketDir() const;
    int Port() const;
    QString DataDir() const;
    // The server's log (pg_ctl's log file), for failure messages.
    QString Log() const;

    // A libpq conninfo: "host=<socket folder> port=<n> user=<user> dbname=<db>".
    QString ConnInfo(const QString &user, const QString &db = QStringLiteral("vimbra")) const;

    // Runs sql through psql (-X -v ON_ERROR_STOP=1 -At, the SQL on its
    // standard input, never prompting for a password) against this server
    // whatever the PG* variables of the test say (but PGPASSWORD and
    // PGPASSFILE, which it passes on). Output: the rows, one a line, columns
    // separated by '|', without the last line end. False on any error, with
    // psql's message.
    bool Psql(const QString &sql, QString *output, QString *error, const QString &user = QStringLiteral("postgres"),
              const QString &db = QStringLiteral("vimbra"));

    bool CreateDatabase(const QString &name);

    // From now on the role must log in with a password (scram-sha-256);
    // every other role stays trusted. Returns once the running server
    // applies it.
    bool RequirePassword(const QString &role);

    // PGHOST and PGPORT of this process (so of the processes it starts) name
    // this server.
    void ExportEnvironment() const;

    // Writes the section [service] of a libpq connection service file
    // (host, port, user, dbname of this server), keeping the file's other
    // sections. Point PGSERVICEFILE at the file for the clients to find it.
    bool WriteServiceFile(const QString &path, const QString &service, const QString &user,
                          const QString &db = QStringLiteral("vimbra")) const;

private:
    bool runServerTool(const QString &tool, const QStringList &args, QString *error, int timeoutMs = 60000) const;
    bool startServer(QString *error);
    bool startWatchdog(QString *error);
    bool writeHba(QString *error) const;
    QString tool(const QString &name) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_base;
    QString m_binDir;
    QString m_user; // the user the server runs as, when the test runs as root
    QStringList m_passwordRoles;
    int m_watchdogFd = -1;
    bool m_initialised = false;
};
