#include "pgserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Any port will do: nothing else listens in the socket's folder. Not the
// default one, so a client that forgets the port does not find the server.
constexpr int kPort = 55432;

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// The newest server installed (Debian keeps each major version in a folder
// of its own), or the one on PATH.
QString findBinDir()
{
    const QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList names = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &name : names) {
        const QString bin = versions.filePath(name + QStringLiteral("/bin"));
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable())
            return bin;
    }
    const QString initdb = QStandardPaths::findExecutable(QStringLiteral("initdb"));
    return initdb.isEmpty() ? QString() : QFileInfo(initdb).absolutePath();
}

// A value in a libpq conninfo string: quoted when it has to be.
QString connValue(const QString &value)
{
    if (!value.isEmpty() && !value.contains(QLatin1Char(' ')) && !value.contains(QLatin1Char('\''))
        && !value.contains(QLatin1Char('\\')) && !value.contains(QLatin1Char('=')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// A string literal in postgresql.conf.
QString confValue(const QString &value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

bool hasLineBreak(const QString &s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// The environment of the server's tools and of psql: none of the test's PG*
// variables, so they reach this server and no other; the keep list passes.
QProcessEnvironment cleanEnvironment(const QStringList &keep = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &key : env.keys()) {
        if (key.startsWith(QLatin1String("PG")) && !keep.contains(key))
            env.remove(key);
    }
    return env;
}

// Whether others (the server's user) can reach a folder: every folder on
// the way is searchable by all.
bool reachableByOthers(const QString &path)
{
    QDir dir(QFileInfo(path).absoluteFilePath());
    for (;;) {
        if (!(QFileInfo(dir.absolutePath()).permissions() & QFileDevice::ExeOther))
            return false;
        if (dir.isRoot())
            return true;
        dir.cdUp();
    }
}

bool chownTo(const QString &path, const QString &user)
{
    const passwd *pw = ::getpwnam(user.toLocal8Bit().constData());
    return pw && ::chown(QFile::encodeName(path).constData(), pw->pw_uid, pw->pw_gid) == 0;
}

// The watchdog (see pgserver.h): $1 the FIFO, $2 the folder, the rest
// pg_ctl as the server's user.
const char kWatchdog[] = R"(fifo=$1 base=$2
shift 2
exec 0<"$fifo"
: >"$base/watchdog.ready"
if read -r _; then exit 0; fi
"$@" stop -w -m immediate -D "$base/data" >/dev/null 2>&1
rm -rf "$base"
)";

} // namespace

PgServer::PgServer() = default;

PgServer::~PgServer()
{
    Stop(StopMode::Fast);
    if (m_watchdogFd >= 0) {
        const char done[] = "done\n";
        if (::write(m_watchdogFd, done, sizeof done - 1) < 0)
            qWarning("PgServer: the watchdog was not told: %s", strerror(errno));
        ::close(m_watchdogFd);
    }
}

QString PgServer::tool(const QString &name) const { return m_binDir + QLatin1Char('/') + name; }

bool PgServer::runServerTool(const QString &program, const QStringList &args, QString *error, int timeoutMs) const
{
    QProcess process;
    process.setProcessEnvironment(cleanEnvironment());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_base);
    if (m_user.isEmpty())
        process.start(program, args);
    else
        process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), m_user, QStringLiteral("--"), program} + args);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return fail(error, QStringLiteral("%1 did not finish: %2").arg(QFileInfo(program).fileName(), process.errorString()));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return fail(error, QStringLiteral("%1 %2 failed (exit code %3): %4")
                               .arg(QFileInfo(program).fileName(), args.value(0), QString::number(process.exitCode()),
                                    QString::fromLocal8Bit(process.readAll()).trimmed()));
    return true;
}

bool PgServer::Start(QString *error)
{
    if (m_dir)
        return fail(error, QStringLiteral("the server was started once already"));
    m_binDir = findBinDir();
    if (m_binDir.isEmpty())
        return fail(error, QStringLiteral("no PostgreSQL server installed (initdb not found)"));

    const bool root = ::geteuid() == 0;
    if (root) {
        m_user = QStringLiteral("nobody");
        if (!::getpwnam("nobody")) {
            m_user = QStringLiteral("vimbra-pg");
            if (!::getpwnam("vimbra-pg")) {
                QProcess useradd;
                useradd.start(QStringLiteral("useradd"), {QStringLiteral("--system"), QStringLiteral("--no-create-home"),
                                                          QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"),
                                                          m_user});
                if (!useradd.waitForFinished(30000) || useradd.exitCode() != 0)
                    return fail(error, QStringLiteral("no user nobody, and useradd %1 failed").arg(m_user));
            }
        }
    }

    // The folder must be reachable by the server's user: the temporary
    // folder may be a private one when the test runs as root.
    QString parent = QDir::tempPath();
    if (root && !reachableByOthers(parent))
        parent = QStringLiteral("/tmp");
    m_dir = std::make_unique<QTemporaryDir>(parent + QStringLiteral("/vimbra-pg-XXXXXX"));
    if (!m_dir->isValid())
        return fail(error, QStringLiteral("no temporary folder: %1").arg(m_dir->errorString()));
    m_base = m_dir->path();
    if (QString(SocketDir() + QStringLiteral("/.s.PGSQL.%1").arg(kPort)).toLocal8Bit().size() >= int(sizeof(sockaddr_un::sun_path)))
        return fail(error, QStringLiteral("the socket's path would be too long: %1").arg(SocketDir()));

    // The folder and the socket's folder can be read by all, so a client run
    // as anyone reaches the socket; the data folder is the server's alone.
    QFile::setPermissions(m_base, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                      | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                      | QFileDevice::ExeOther);
    if (!QDir().mkdir(SocketDir()))
        return fail(error, QStringLiteral("cannot make %1").arg(SocketDir()));
    if (root && (!chownTo(m_base, m_user) || !chownTo(SocketDir(), m_user)))
        return fail(error, QStringLiteral("cannot give %1 to %2").arg(m_base, m_user));

    if (!startWatchdog(error))
        return false;

    if (!runServerTool(tool(QStringLiteral("initdb")),
                       {QStringLiteral("-D"), DataDir(), QStringLiteral("--no-sync"), QStringLiteral("--no-instructions"),
                        QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-U"), QStringLiteral("postgres"),
                        QStringLiteral("--encoding=UTF8"), QStringLiteral("--locale=C.UTF-8")},
                       error))
        return false;
    m_initialised = true;

    // Appended, so these win over initdb's. A test server keeps nothing it
    // could lose in a crash of the machine: no fsync. But each commit is
    // still written out before it is reported (synchronous_commit stays on),
    // so a commit survives the server's crash as it would in a classroom.
    // Thirty computers of a
    // class with a few connections each. The cluster's name is in every
    // server process's title, so the test finds them all by it.
    QFile conf(DataDir() + QStringLiteral("/postgresql.conf"));
    if (!conf.open(QIODevice::Append | QIODevice::Text))
        return fail(error, QStringLiteral("cannot write %1").arg(conf.fileName()));
    const QString settings = QStringLiteral("\n# The test's own server\n"
                                            "listen_addresses = ''\n"
                                            "unix_socket_directories = %1\n"
                                            "unix_socket_permissions = 0777\n"
                                            "port = %2\n"
                                            "max_connections = 200\n"
                                            "fsync = off\n"
                                            "full_page_writes = off\n"
                                            "cluster_name = %3\n")
                                 .arg(confValue(SocketDir()), QString::number(kPort),
                                      confValue(QFileInfo(m_base).fileName()));
    conf.write(settings.toUtf8());
    conf.close();
    if (!writeHba(error) || !startServer(error))
        return false;
    if (!CreateDatabase(QStringLiteral("vimbra")))
        return fail(error, QStringLiteral("cannot create the database vimbra"));
    return true;
}

bool PgServer::startWatchdog(QString *error)
{
    const QString fifo = m_base + QStringLiteral("/watchdog.fifo");
    if (::mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0)
        return fail(error, QStringLiteral("mkfifo %1: %2").arg(fifo, QString::fromLocal8Bit(strerror(errno))));
    // Held open for reading too, so opening never blocks; the watchdog sees
    // end-of-file once this descriptor, its only writer, closes. Not
    // inherited by anything the test starts.
    m_watchdogFd = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_CLOEXEC);
    if (m_watchdogFd < 0)
        return fail(error, QStringLiteral("open %1: %2").arg(fifo, QString::fromLocal8Bit(strerror(errno))));

    QStringList args{QStringLiteral("-c"), QString::fromLatin1(kWatchdog), QStringLiteral("pg-watchdog"), fifo, m_base};
    if (!m_user.isEmpty())
        args << QStringLiteral("runuser") << QStringLiteral("-u") << m_user << QStringLiteral("--");
    args << tool(QStringLiteral("pg_ctl"));
    // Detached: a double fork, in a session of its own.
    QProcess watchdog;
    watchdog.setProgram(QStringLiteral("/bin/sh"));
    watchdog.setArguments(args);
    watchdog.setProcessEnvironment(cleanEnvironment());
    watchdog.setWorkingDirectory(QStringLiteral("/"));
    watchdog.setStandardInputFile(QProcess::nullDevice());
    watchdog.setStandardOutputFile(QProcess::nullDevice());
    watchdog.setStandardErrorFile(QProcess::nullDevice());
    if (!watchdog.startDetached())
        return fail(error, QStringLiteral("the watchdog did not start"));
    // Until it has the FIFO open, "done" could be lost (and it would wait
    // for a writer forever).
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(m_base + QStringLiteral("/watchdog.ready"))) {
        if (waited.elapsed() > 10000)
            return fail(error, QStringLiteral("the watchdog did not come up"));
        QThread::msleep(2);
    }
    return true;
}

bool PgServer::writeHba(QString *error) const
{
    QString hba = QStringLiteral("# The test's own server: a Unix socket only.\n");
    for (const QString &role : m_passwordRoles)
        hba += QStringLiteral("local all \"%1\" scram-sha-256\n").arg(role);
    hba += QStringLiteral("local all all trust\n");
    QFile file(DataDir() + QStringLiteral("/pg_hba.conf"));
    // Rewritten in place: the file keeps its owner, the server's user.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(hba.toUtf8()) < 0)
        return fail(error, QStringLiteral("cannot write %1").arg(file.fileName()));
    return true;
}

bool PgServer::startServer(QString *error)
{
    if (!runServerTool(tool(QStringLiteral("pg_ctl")),
                       {QStringLiteral("start"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                        QStringLiteral("-D"), DataDir(), QStringLiteral("-l"), m_base + QStringLiteral("/server.log")},
                       error, 90000)) {
        if (error)
            *error += QStringLiteral("\nserver log:\n") + Log();
        return false;
    }
    return true;
}

bool PgServer::StartAgain(QString *error)
{
    if (!m_initialised)
        return fail(error, QStringLiteral("the server was never started"));
    if (Running())
        return fail(error, QStringLiteral("the server runs already"));
    return startServer(error);
}

void PgServer::Stop(StopMode mode)
{
    if (!m_initialised || !Running())
        return;
    QString error;
    const QString how = mode == StopMode::Fast ? QStringLiteral("fast") : QStringLiteral("immediate");
    if (runServerTool(tool(QStringLiteral("pg_ctl")),
                      {QStringLiteral("stop"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("30"),
                       QStringLiteral("-m"), how, QStringLiteral("-D"), DataDir()},
                      &error, 60000))
        return;
    qWarning("PgServer: %s", qPrintable(error));
    if (mode == StopMode::Fast && Running())
        Stop(StopMode::Immediate);
}

bool PgServer::Running() const
{
    if (!m_initialised)
        return false;
    QFile pidFile(DataDir() + QStringLiteral("/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const pid_t pid = pid_t(pidFile.readLine().trimmed().toLongLong(&ok));
    return ok && pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

QString PgServer::SocketDir() const { return m_base + QStringLiteral("/sock"); }

int PgServer::Port() const { return kPort; }

QString PgServer::DataDir() const { return m_base + QStringLiteral("/data"); }

QString PgServer::Log() const
{
    QFile file(m_base + QStringLiteral("/server.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString PgServer::ConnInfo(const QString &user, const QString &db) const
{
    return QStringLiteral("host=%1 port=%2 user=%3 dbname=%4")
        .arg(connValue(SocketDir()), QString::number(kPort), connValue(user), connValue(db));
}

bool PgServer::Psql(const QString &sql, QString *output, QString *error, const QString &user, const QString &db)
{
    if (output)
        output->clear();
    QProcess psql;
    QProcessEnvironment env = cleanEnvironment({QStringLiteral("PGPASSWORD"), QStringLiteral("PGPASSFILE")});
    env.insert(QStringLiteral("PGCLIENTENCODING"), QStringLiteral("UTF8"));
    env.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    psql.setProcessEnvironment(env);
    psql.start(tool(QStringLiteral("psql")),
               {QStringLiteral("-X"), QStringLiteral("-w"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-At"), QStringLiteral("-d"), ConnInfo(user, db)});
    if (!psql.waitForStarted(10000))
        return fail(error, QStringLiteral("psql did not start: %1").arg(psql.errorString()));
    psql.write(sql.toUtf8());
    psql.closeWriteChannel();
    if (!psql.waitForFinished(60000)) {
        psql.kill();
        psql.waitForFinished(5000);
        return fail(error, QStringLiteral("psql did not finish"));
    }
    QString out = QString::fromUtf8(psql.readAllStandardOutput());
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    if (output)
        *output = out;
    if (psql.exitStatus() != QProcess::NormalExit || psql.exitCode() != 0) {
        const QString message = QString::fromUtf8(psql.readAllStandardError()).trimmed();
        return fail(error, message.isEmpty() ? QStringLiteral("psql exited with code %1").arg(psql.exitCode()) : message);
    }
    return true;
}

bool PgServer::CreateDatabase(const QString &name)
{
    QString ident = name;
    ident.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    QString error;
    if (Psql(QStringLiteral("CREATE DATABASE \"%1\"").arg(ident), nullptr, &error, QStringLiteral("postgres"),
             QStringLiteral("postgres")))
        return true;
    qWarning("PgServer: CREATE DATABASE %s: %s", qPrintable(name), qPrintable(error));
    return false;
}

bool PgServer::RequirePassword(const QString &role)
{
    // pg_hba.conf has no escape for a double quote inside a quoted name.
    if (!m_initialised || role.isEmpty() || role.contains(QLatin1Char('"')) || hasLineBreak(role))
        return false;
    if (!m_passwordRoles.contains(role))
        m_passwordRoles << role;
    QString error;
    if (!writeHba(&error)
        || !runServerTool(tool(QStringLiteral("pg_ctl")), {QStringLiteral("reload"), QStringLiteral("-D"), DataDir()}, &error)) {
        qWarning("PgServer: %s", qPrintable(error));
        return false;
    }
    // The server rereads the file when the signal reaches it: until then
    // the role still gets in without a password.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        QProcess psql;
        QProcessEnvironment env = cleanEnvironment();
        env.insert(QStringLiteral("PGPASSFILE"), m_base + QStringLiteral("/no-password-file"));
        psql.setProcessEnvironment(env);
        psql.start(tool(QStringLiteral("psql")), {QStringLiteral("-X"), QStringLiteral("-w"), QStringLiteral("-At"),
                                                  QStringLiteral("-c"), QStringLiteral("SELECT 1"), QStringLiteral("-d"),
                                                  ConnInfo(role, QStringLiteral("postgres"))});
        psql.closeWriteChannel();
        psql.waitForFinished(30000);
        if (psql.readAllStandardError().contains("no password supplied"))
            return true;
        QThread::msleep(10);
    }
    qWarning("PgServer: the server still lets %s in without a password", qPrintable(role));
    return false;
}

void PgServer::ExportEnvironment() const
{
    qputenv("PGHOST", QFile::encodeName(SocketDir()));
    qputenv("PGPORT", QByteArray::number(kPort));
}

bool PgServer::WriteServiceFile(const QString &path, const QString &service, const QString &user, const QString &db) const
{
    // libpq reads one key=value a line, with no quoting: a line break or a
    // bracket in a name would end the section.
    if (service.isEmpty() || service.contains(QLatin1Char(']')) || hasLineBreak(service) || hasLineBreak(user)
        || hasLineBreak(db) || m_base.isEmpty())
        return false;
    QStringList kept;
    QFile old(path);
    if (old.open(QIODevice::ReadOnly | QIODevice::Text)) {
        bool inSection = false;
        for (const QString &line : QString::fromUtf8(old.readAll()).split(QLatin1Char('\n'))) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1Char('[')))
                inSection = trimmed == QLatin1Char('[') + service + QLatin1Char(']');
            if (!inSection)
                kept << line;
        }
        while (!kept.isEmpty() && kept.last().trimmed().isEmpty())
            kept.removeLast();
    }
    if (!kept.isEmpty())
        kept << QString();
    kept << QLatin1Char('[') + service + QLatin1Char(']') << QStringLiteral("host=") + SocketDir()
         << QStringLiteral("port=%1").arg(kPort) << QStringLiteral("user=") + user << QStringLiteral("dbname=") + db
         << QString();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write(kept.join(QLatin1Char('\n')).toUtf8());
    return file.commit();
}
