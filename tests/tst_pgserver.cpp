// The tests' private PostgreSQL server: reached through a connection service
// as the program reaches its server, stopped and started again with its data,
// a role made to give a password, and nothing left running or on disk once
// the test ends, however it ends.

#include "pgserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <signal.h>
#include <unistd.h>

namespace {

// The server processes whose command line or title names the folder's
// (and so the cluster's) name: the postmaster, its children, the watchdog.
QStringList processesOf(const QString &dataDir)
{
    const QString name = QFileInfo(QFileInfo(dataDir).absolutePath()).fileName();
    QProcess pgrep;
    pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-a"), QStringLiteral("-f"), name});
    pgrep.waitForFinished(10000);
    return QString::fromLocal8Bit(pgrep.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Waits up to 15 s until nothing of the server is left.
bool goneWithin15s(const QString &dataDir, QStringList *left)
{
    QElapsedTimer waited;
    waited.start();
    do {
        *left = processesOf(dataDir);
        if (left->isEmpty() && !QFileInfo::exists(QFileInfo(dataDir).absolutePath()))
            return true;
        QTest::qWait(50);
    } while (waited.elapsed() < 15000);
    if (QFileInfo::exists(dataDir))
        *left << QStringLiteral("folder ") + dataDir;
    return false;
}

// A QPSQL connection found through a connection service only, as the
// program makes it; removed from Qt's list with the object.
class Connection
{
public:
    explicit Connection(const QString &service)
        : m_name(QStringLiteral("pg%1").arg(++s_count))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setConnectOptions(QStringLiteral("service=") + service);
        db.open();
    }
    ~Connection() { QSqlDatabase::removeDatabase(m_name); }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    bool isOpen() const { return db().isOpen(); }
    QString error() const { return db().lastError().text(); }
    // The first column of the first row, or nothing when the query fails.
    std::optional<QVariant> value(const QString &sql) const
    {
        QSqlQuery query(db());
        if (!query.exec(sql) || !query.next())
            return std::nullopt;
        return query.value(0);
    }

private:
    static inline int s_count = 0;
    QString m_name;
};

void setEnv(const char *name, const QString &value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value.toUtf8());
}

} // namespace

class TestPgServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void serviceReachesTheServer();
    void serviceFileKeepsOtherSections();
    void unknownServiceFails();
    void psqlReportsFailure();
    void startAgainKeepsCommits_data();
    void startAgainKeepsCommits();
    void passwordRequired_data();
    void passwordRequired();
    void destructorLeavesNothing();
    void killedTestLeavesNothing_data();
    void killedTestLeavesNothing();

private:
    QTemporaryDir m_work;
    PgServer m_pg;
    QString m_services;
};

void TestPgServer::initTestCase()
{
    QVERIFY(QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")));
    QVERIFY(m_work.isValid());
    QElapsedTimer timer;
    timer.start();
    QString error;
    QVERIFY2(m_pg.Start(&error), qPrintable(error));
    qInfo("Start: %lld ms", timer.elapsed());
    QVERIFY(m_pg.Running());
    m_services = m_work.filePath(QStringLiteral("pg_service.conf"));
    QVERIFY(m_pg.WriteServiceFile(m_services, QStringLiteral("classroom"), QStringLiteral("postgres")));
    qputenv("PGSERVICEFILE", QFile::encodeName(m_services));
    // Nothing but the service file may lead the clients to the server.
    for (const char *name : {"PGHOST", "PGPORT", "PGUSER", "PGDATABASE", "PGSERVICE", "PGPASSWORD", "PGPASSFILE"})
        qunsetenv(name);
}

void TestPgServer::serviceReachesTheServer()
{
    Connection c(QStringLiteral("classroom"));
    QVERIFY2(c.isOpen(), qPrintable(c.error()));
    QCOMPARE(c.value(QStringLiteral("SELECT current_database()"))->toString(), QStringLiteral("vimbra"));
    QCOMPARE(c.value(QStringLiteral("SELECT current_user"))->toString(), QStringLiteral("postgres"));
    // A socket only, and room for a class of thirty.
    QCOMPARE(c.value(QStringLiteral("SHOW listen_addresses"))->toString(), QString());
    QVERIFY(c.value(QStringLiteral("SELECT current_setting('max_connections')::int"))->toInt() >= 150);

    // Russian text both ways, and a character type that knows its cases.
    QSqlQuery query(c.db());
    QVERIFY(query.prepare(QStringLiteral("SELECT lower(?), length(?)")));
    query.addBindValue(QStringLiteral("ИВАНОВ Ёж"));
    query.addBindValue(QStringLiteral("Пётр"));
    QVERIFY2(query.exec() && query.next(), qPrintable(query.lastError().text()));
    QCOMPARE(query.value(0).toString(), QStringLiteral("иванов ёж"));
    QCOMPARE(query.value(1).toInt(), 4);
    QString out, error;
    QVERIFY2(m_pg.Psql(QStringLiteral("SELECT upper('пётр'), 2 + 2;"), &out, &error), qPrintable(error));
    QCOMPARE(out, QStringLiteral("ПЁТР|4"));

    // The same server by its conninfo, for clients given one.
    QVERIFY2(m_pg.Psql(QStringLiteral("SELECT current_setting('unix_socket_directories')"), &out, &error),
             qPrintable(error));
    QCOMPARE(out, m_pg.SocketDir());
    QCOMPARE(m_pg.ConnInfo(QStringLiteral("teacher")),
             QStringLiteral("host=%1 port=%2 user=teacher dbname=vimbra").arg(m_pg.SocketDir()).arg(m_pg.Port()));
}

void TestPgServer::serviceFileKeepsOtherSections()
{
    QVERIFY(m_pg.CreateDatabase(QStringLiteral("журнал \"8А\"")));
    const QString path = m_work.filePath(QStringLiteral("two.conf"));
    QVERIFY(m_pg.WriteServiceFile(path, QStringLiteral("first"), QStringLiteral("postgres")));
    QVERIFY(m_pg.WriteServiceFile(path, QStringLiteral("second"), QStringLiteral("postgres"),
                                  QStringLiteral("журнал \"8А\"")));
    // Rewritten: the section moves to the other database, the other stays.
    QVERIFY(m_pg.WriteServiceFile(path, QStringLiteral("first"), QStringLiteral("postgres"), QStringLiteral("postgres")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QCOMPARE(text.count("[first]"), 1);
    QCOMPARE(text.count("[second]"), 1);

    qputenv("PGSERVICEFILE", QFile::encodeName(path));
    const auto restore = qScopeGuard([this] { qputenv("PGSERVICEFILE", QFile::encodeName(m_services)); });
    Connection first(QStringLiteral("first"));
    QVERIFY2(first.isOpen(), qPrintable(first.error()));
    QCOMPARE(first.value(QStringLiteral("SELECT current_database()"))->toString(), QStringLiteral("postgres"));
    Connection second(QStringLiteral("second"));
    QVERIFY2(second.isOpen(), qPrintable(second.error()));
    QCOMPARE(second.value(QStringLiteral("SELECT current_database()"))->toString(), QStringLiteral("журнал \"8А\""));
}

void TestPgServer::unknownServiceFails()
{
    // No fallback to a default server: the service is the only way there.
    Connection c(QStringLiteral("nowhere"));
    QVERIFY(!c.isOpen());
    QVERIFY2(c.error().contains(QStringLiteral("\"nowhere\" not found")), qPrintable(c.error()));
}

void TestPgServer::psqlReportsFailure()
{
    QString out, error;
    // The first statement ran; the failure stops the rest and is reported.
    QVERIFY(!m_pg.Psql(QStringLiteral("SELECT 1;\nSELECT no_such_column;\nSELECT 2;"), &out, &error));
    QCOMPARE(out, QStringLiteral("1"));
    QVERIFY2(error.contains(QStringLiteral("no_such_column")), qPrintable(error));
    QVERIFY(!m_pg.Psql(QStringLiteral("SELECT 1"), &out, &error, QStringLiteral("postgres"), QStringLiteral("nosuchdb")));
    QVERIFY2(error.contains(QStringLiteral("nosuchdb")), qPrintable(error));
    QVERIFY(!m_pg.CreateDatabase(QStringLiteral("vimbra")));
}

void TestPgServer::startAgainKeepsCommits_data()
{
    QTest::addColumn<PgServer::StopMode>("mode");
    QTest::newRow("clean stop") << PgServer::StopMode::Fast;
    QTest::newRow("crash") << PgServer::StopMode::Immediate;
}

void TestPgServer::startAgainKeepsCommits()
{
    QFETCH(PgServer::StopMode, mode);
    QString out, error;
    QVERIFY2(m_pg.Psql(QStringLiteral("CREATE TABLE IF NOT EXISTS kept (n int);"), nullptr, &error), qPrintable(error));
    QVERIFY2(m_pg.Psql(QStringLiteral("SELECT count(*) FROM kept"), &out, &error), qPrintable(error));
    const int before = out.toInt();

    Connection c(QStringLiteral("classroom"));
    QVERIFY2(c.isOpen(), qPrintable(c.error()));
    QVERIFY(c.value(QStringLiteral("INSERT INTO kept VALUES (1) RETURNING n")));

    QElapsedTimer timer;
    timer.start();
    m_pg.Stop(mode);
    qInfo("Stop: %lld ms", timer.elapsed());
    QVERIFY(!m_pg.Running());
    QVERIFY(!c.value(QStringLiteral("SELECT 1")));
    Connection refused(QStringLiteral("classroom"));
    QVERIFY(!refused.isOpen());

    timer.restart();
    QVERIFY2(m_pg.StartAgain(&error), qPrintable(error));
    qInfo("StartAgain: %lld ms", timer.elapsed());
    QVERIFY(m_pg.Running());
    QVERIFY(!m_pg.StartAgain(&error));

    // A connection from before does not come back by itself, whatever
    // isOpen() says (after a crash QPSQL still calls it open, until a
    // query fails once the server is back); opened again, it gets in.
    QVERIFY(!c.value(QStringLiteral("SELECT 1")));
    c.db().close();
    QVERIFY2(c.db().open(), qPrintable(c.error()));
    QCOMPARE(c.value(QStringLiteral("SELECT count(*) FROM kept"))->toInt(), before + 1);
}

void TestPgServer::passwordRequired_data()
{
    QTest::addColumn<QString>("password");     // PGPASSWORD, if any
    QTest::addColumn<QString>("fileLine");     // the password file's line, if any
    QTest::addColumn<bool>("othersMayRead");   // the file's mode
    QTest::addColumn<bool>("admitted");

    // The password has what conninfo strings and connect options mangle.
    const QString right = QStringLiteral("Пароль; 1 'x'");
    QTest::newRow("no password") << QString() << QString() << false << false;
    QTest::newRow("wrong PGPASSWORD") << QStringLiteral("Пароль") << QString() << false << false;
    QTest::newRow("PGPASSWORD") << right << QString() << false << true;
    QTest::newRow("password file") << QString() << QStringLiteral("{socket}:{port}:vimbra:teacher:") + right << false << true;
    QTest::newRow("password file, any host and base") << QString() << QStringLiteral("*:*:*:teacher:") + right << false
                                                      << true;
    // libpq ignores a file others can read, with a warning on stderr.
    QTest::newRow("password file others may read") << QString() << QStringLiteral("*:*:*:teacher:") + right << true
                                                   << false;
    QTest::newRow("wrong password in the file") << QString() << QStringLiteral("*:*:*:teacher:x") << false << false;
    // For a socket the host is the socket's folder, not localhost.
    QTest::newRow("password file for localhost") << QString() << QStringLiteral("localhost:*:*:teacher:") + right
                                                 << false << false;
}

void TestPgServer::passwordRequired()
{
    QFETCH(QString, password);
    QFETCH(QString, fileLine);
    QFETCH(bool, othersMayRead);
    QFETCH(bool, admitted);

    QString error;
    static bool made = false;
    if (!made) {
        QVERIFY2(m_pg.Psql(QStringLiteral("CREATE ROLE teacher LOGIN PASSWORD 'Пароль; 1 ''x''';"), nullptr, &error),
                 qPrintable(error));
        QVERIFY(m_pg.WriteServiceFile(m_services, QStringLiteral("teacher"), QStringLiteral("teacher")));
        QVERIFY(m_pg.RequirePassword(QStringLiteral("teacher")));
        made = true;
    }

    const QString passFile = m_work.filePath(QStringLiteral("pgpass"));
    QFile::remove(passFile);
    if (!fileLine.isNull()) {
        QFile file(passFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QString line = fileLine;
        line.replace(QStringLiteral("{socket}"), m_pg.SocketDir()).replace(QStringLiteral("{port}"), QString::number(m_pg.Port()));
        file.write(line.toUtf8() + '\n');
        file.close();
        QFile::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        if (othersMayRead)
            mode |= QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(file.setPermissions(mode));
    }
    setEnv("PGPASSWORD", password);
    setEnv("PGPASSFILE", passFile); // none, when no line is given
    const auto restore = qScopeGuard([] {
        qunsetenv("PGPASSWORD");
        qunsetenv("PGPASSFILE");
    });

    Connection c(QStringLiteral("teacher"));
    QCOMPARE(c.isOpen(), admitted);
    if (admitted)
        QCOMPARE(c.value(QStringLiteral("SELECT current_user"))->toString(), QStringLiteral("teacher"));
    else
        QVERIFY2(c.error().contains(QStringLiteral("password")), qPrintable(c.error()));
    // Every other role still gets in without one.
    Connection other(QStringLiteral("classroom"));
    QVERIFY2(other.isOpen(), qPrintable(other.error()));
}

void TestPgServer::destructorLeavesNothing()
{
    QString dataDir;
    {
        auto pg = std::make_unique<PgServer>();
        QElapsedTimer timer;
        timer.start();
        QString error;
        QVERIFY2(pg->Start(&error), qPrintable(error));
        qInfo("Start: %lld ms", timer.elapsed());
        dataDir = pg->DataDir();
        QVERIFY(!processesOf(dataDir).isEmpty());
        // A server with a client still connected, as a test that fails
        // halfway leaves it.
        const QString services = m_work.filePath(QStringLiteral("gone.conf"));
        QVERIFY(pg->WriteServiceFile(services, QStringLiteral("gone"), QStringLiteral("postgres")));
        qputenv("PGSERVICEFILE", QFile::encodeName(services));
        Connection c(QStringLiteral("gone"));
        qputenv("PGSERVICEFILE", QFile::encodeName(m_services));
        QVERIFY2(c.isOpen(), qPrintable(c.error()));
        timer.restart();
        pg.reset();
        qInfo("destructor: %lld ms", timer.elapsed());
    }
    QStringList left;
    QVERIFY2(goneWithin15s(dataDir, &left), qPrintable(left.join(QLatin1Char('\n'))));
}

void TestPgServer::killedTestLeavesNothing_data()
{
    QTest::addColumn<bool>("wholeGroup");
    QTest::newRow("the test alone") << false;
    QTest::newRow("its process group") << true;
}

void TestPgServer::killedTestLeavesNothing()
{
    QFETCH(bool, wholeGroup);
    QProcess holder;
    holder.setChildProcessModifier([] { ::setpgid(0, 0); });
    holder.start(QStringLiteral(PG_HOLDER), QStringList());
    QVERIFY(holder.waitForStarted(10000));
    QElapsedTimer waited;
    waited.start();
    while (!holder.canReadLine() && waited.elapsed() < 30000)
        holder.waitForReadyRead(1000);
    const QString dataDir = QString::fromLocal8Bit(holder.readLine()).trimmed();
    QVERIFY2(dataDir.startsWith(QLatin1Char('/')), qPrintable(dataDir));
    QVERIFY(!processesOf(dataDir).isEmpty());

    ::kill(wholeGroup ? -pid_t(holder.processId()) : pid_t(holder.processId()), SIGKILL);
    QVERIFY(holder.waitForFinished(10000));
    QStringList left;
    QVERIFY2(goneWithin15s(dataDir, &left), qPrintable(left.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(TestPgServer)
#include "tst_pgserver.moc"
