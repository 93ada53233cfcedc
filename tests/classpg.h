#pragma once

// A private PostgreSQL server for the class journal's tests and benchmark,
// until the shared fixture takes its place (same calls: Start, Stop, Psql,
// WriteServiceFile). initdb into a temporary folder, the server run by the
// user nobody (initdb and postgres refuse root), listening on no network
// address, only on a Unix socket in that folder; every role trusted. The
// destructor stops it and removes the folder.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <unistd.h>

class ClassPg
{
public:
    ClassPg() = default;
    ~ClassPg() { Stop(); }
    ClassPg(const ClassPg &) = delete;
    ClassPg &operator=(const ClassPg &) = delete;

    bool Start(QString *error)
    {
        if (!FDir.isValid())
            return fail(error, QStringLiteral("no temporary folder"));
        // The folder (data, socket and log) is the server's user's.
        FData = FDir.filePath(QStringLiteral("data"));
        QDir().mkpath(FData);
        if (!run({QStringLiteral("chown"), QStringLiteral("-R"), QStringLiteral("nobody:nogroup"), FDir.path()}, error))
            return false;
        if (!asServer({bin(QStringLiteral("initdb")), QStringLiteral("-D"), FData, QStringLiteral("--no-sync"),
                       QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-U"), QStringLiteral("postgres"),
                       QStringLiteral("--no-locale"), QStringLiteral("-E"), QStringLiteral("UTF8")},
                      error))
            return false;
        const QString options = QStringLiteral("-c listen_addresses='' -c unix_socket_directories=%1 -c fsync=off"
                                               " -c synchronous_commit=off -c full_page_writes=off -p %2")
                                    .arg(FData)
                                    .arg(FPort);
        if (!asServer({bin(QStringLiteral("pg_ctl")), QStringLiteral("-D"), FData, QStringLiteral("-o"), options,
                       QStringLiteral("-l"), FDir.filePath(QStringLiteral("log")), QStringLiteral("-w"),
                       QStringLiteral("start")},
                      error))
            return false;
        FRunning = true;
        return Psql(QStringLiteral("CREATE DATABASE vimbra"), nullptr, error, QStringLiteral("postgres"),
                    QStringLiteral("postgres"));
    }

    void Stop()
    {
        if (!FRunning)
            return;
        FRunning = false;
        asServer({bin(QStringLiteral("pg_ctl")), QStringLiteral("-D"), FData, QStringLiteral("-m"),
                  QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")},
                 nullptr);
    }

    QString SocketDir() const { return FData; }
    int Port() const { return FPort; }

    // Runs sql through psql as the user; the rows, one a line, columns by '|'.
    bool Psql(const QString &sql, QString *output, QString *error, const QString &user = QStringLiteral("postgres"),
              const QString &db = QStringLiteral("vimbra"))
    {
        QProcess psql;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"PGSERVICEFILE", "PGSERVICE", "PGHOST", "PGPORT", "PGUSER", "PGDATABASE"})
            env.remove(QString::fromLatin1(name));
        psql.setProcessEnvironment(env);
        psql.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                                            QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-At"),
                                            QStringLiteral("-h"), FData, QStringLiteral("-p"), QString::number(FPort),
                                            QStringLiteral("-U"), user, QStringLiteral("-d"), db});
        psql.write(sql.toUtf8());
        psql.closeWriteChannel();
        psql.waitForFinished(600000);
        const QString out = QString::fromUtf8(psql.readAllStandardOutput()).trimmed();
        if (output)
            *output = out;
        if (psql.exitStatus() != QProcess::NormalExit || psql.exitCode() != 0)
            return fail(error, QString::fromUtf8(psql.readAllStandardError()));
        return true;
    }

    // A connection service the program finds through PGSERVICEFILE.
    bool WriteServiceFile(const QString &path, const QString &service, const QString &user, bool append = true) const
    {
        QFile file(path);
        if (!file.open(append ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        file.write(QStringLiteral("[%1]\nhost=%2\nport=%3\nuser=%4\ndbname=vimbra\n\n")
                       .arg(service, FData)
                       .arg(FPort)
                       .arg(user)
                       .toUtf8());
        return true;
    }

private:
    static QString bin(const QString &name) { return QStringLiteral("/usr/lib/postgresql/15/bin/") + name; }
    static bool fail(QString *error, const QString &why)
    {
        if (error)
            *error = why;
        return false;
    }
    static bool run(const QStringList &command, QString *error)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(command.first(), command.mid(1));
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return fail(error, command.join(QLatin1Char(' ')) + QStringLiteral(": ") + QString::fromUtf8(p.readAll()));
        return true;
    }
    // initdb and postgres run as nobody when the test is root.
    static bool asServer(const QStringList &command, QString *error)
    {
        return ::geteuid() == 0 ? run(QStringList{QStringLiteral("runuser"), QStringLiteral("-u"),
                                                  QStringLiteral("nobody"), QStringLiteral("--")}
                                      + command,
                                  error)
                                : run(command, error);
    }

    QTemporaryDir FDir;
    QString FData;
    int FPort = 5432; // the socket is in a folder of its own: no other server shares it
    bool FRunning = false;
};
