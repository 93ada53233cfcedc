#include "journal/classserver.h"

#include "journal/journalexport.h"
#include "journal/journalstore.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

struct ServerTexts {
    Q_DECLARE_TR_FUNCTIONS(ClassServer)
};

// The key of the advisory lock the schema's steps are applied under ("vimbra").
constexpr qint64 kSchemaLock = 0x76696d627261;

// Each version's changes, from an empty database on: version n is reached by
// applying migrations()[n - 1]. A later version adds to the list, never edits
// an entry.
const QList<QStringList> &migrations()
{
    static const QList<QStringList> steps{
        {
            QStringLiteral("CREATE SCHEMA IF NOT EXISTS vimbra"),
            QStringLiteral("CREATE TABLE vimbra.schema_version ("
                           " version integer PRIMARY KEY, applied_at timestamptz NOT NULL DEFAULT now())"),
            // The two roles computers log in as (or are granted to the
            // logins the administrator makes): without the right to log in
            // until the set-up gives it.
            QStringLiteral("DO $$ BEGIN"
                           " IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'vimbra_learner') THEN"
                           "  CREATE ROLE vimbra_learner NOLOGIN; END IF;"
                           " IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'vimbra_teacher') THEN"
                           "  CREATE ROLE vimbra_teacher NOLOGIN; END IF;"
                           " END $$"),
            QStringLiteral("GRANT USAGE ON SCHEMA vimbra TO vimbra_learner, vimbra_teacher"),
            QStringLiteral("GRANT SELECT ON vimbra.schema_version TO vimbra_learner, vimbra_teacher"),
            // The roster.
            QStringLiteral("CREATE TABLE vimbra.learner ("
                           " class text NOT NULL CHECK (length(class) <= 100),"
                           " name text NOT NULL CHECK (name <> '' AND length(name) <= 200),"
                           " added_at timestamptz NOT NULL DEFAULT now(),"
                           " PRIMARY KEY (class, name))"),
            // The series: the identity given when it was fired is the key.
            // The steadiness of the hold is measured by the computer that
            // fired it (NULL: no aim trace).
            QStringLiteral("CREATE TABLE vimbra.series ("
                           " uid uuid PRIMARY KEY,"
                           " class text NOT NULL,"
                           " shooter text NOT NULL CHECK (shooter <> '' AND length(shooter) <= 200),"
                           " computer text NOT NULL DEFAULT '',"
                           " fired_at timestamptz NOT NULL,"
                           " filed_at timestamptz NOT NULL DEFAULT clock_timestamp(),"
                           " exercise text NOT NULL DEFAULT '',"
                           " target_width integer NOT NULL, large_target boolean NOT NULL,"
                           " black_circle integer NOT NULL, correction integer NOT NULL,"
                           " hidden_x integer NOT NULL DEFAULT 0, hidden_y integer NOT NULL DEFAULT 0,"
                           " zeroing_series integer NOT NULL DEFAULT 0, time_limit_ms integer NOT NULL DEFAULT 0,"
                           " total integer NOT NULL,"
                           " mean_x double precision NOT NULL, mean_y double precision NOT NULL,"
                           " mean_radius double precision NOT NULL, extreme_spread double precision NOT NULL,"
                           " ring_width double precision NOT NULL,"
                           " in_ten double precision, in_nine double precision, hold_area double precision)"),
            QStringLiteral("CREATE INDEX series_by_day ON vimbra.series (class, fired_at)"),
            QStringLiteral("CREATE INDEX series_by_shooter ON vimbra.series (class, shooter, fired_at)"),
            QStringLiteral("CREATE TABLE vimbra.shot ("
                           " series_uid uuid NOT NULL REFERENCES vimbra.series ON DELETE CASCADE,"
                           " number integer NOT NULL,"
                           " x double precision NOT NULL, y double precision NOT NULL, score integer NOT NULL,"
                           " hold_x double precision NOT NULL, hold_y double precision NOT NULL,"
                           " align_x double precision NOT NULL, align_y double precision NOT NULL,"
                           " correction_x double precision NOT NULL, correction_y double precision NOT NULL,"
                           " since_previous_ms integer, call_x double precision, call_y double precision,"
                           " since_start_ms integer, late boolean NOT NULL DEFAULT false,"
                           " trace bytea," // packed as the local journal packs it
                           " PRIMARY KEY (series_uid, number))"),
            // A learner's computer: the roster to read, series to add;
            // nothing to change, remove or read back.
            QStringLiteral("GRANT SELECT ON vimbra.learner TO vimbra_learner"),
            QStringLiteral("GRANT INSERT ON vimbra.series, vimbra.shot TO vimbra_learner"),
            // The teacher's: everything to read, the roster to keep.
            QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON vimbra.learner TO vimbra_teacher"),
            QStringLiteral("GRANT SELECT, INSERT ON vimbra.series, vimbra.shot TO vimbra_teacher"),
            // A series only for a learner on the roster, once the roster
            // holds a name.
            QStringLiteral("ALTER TABLE vimbra.series ENABLE ROW LEVEL SECURITY"),
            QStringLiteral("CREATE POLICY learner_files ON vimbra.series FOR INSERT TO vimbra_learner"
                           " WITH CHECK (NOT EXISTS (SELECT FROM vimbra.learner)"
                           "  OR EXISTS (SELECT FROM vimbra.learner l"
                           "   WHERE l.class = series.class AND l.name = series.shooter))"),
            QStringLiteral("CREATE POLICY teacher_reads ON vimbra.series FOR SELECT TO vimbra_teacher USING (true)"),
            QStringLiteral("CREATE POLICY teacher_files ON vimbra.series FOR INSERT TO vimbra_teacher"
                           " WITH CHECK (true)"),
            // The class window hears of each series as it is filed.
            QStringLiteral("CREATE FUNCTION vimbra.tell_filed() RETURNS trigger LANGUAGE plpgsql AS"
                           " $$ BEGIN PERFORM pg_notify('vimbra_series', NEW.uid::text); RETURN NULL; END $$"),
            QStringLiteral("CREATE TRIGGER series_filed AFTER INSERT ON vimbra.series"
                           " FOR EACH ROW EXECUTE FUNCTION vimbra.tell_filed()"),
        },
        {
            // A learner's computer adds shots only to the series it is
            // filing in the same transaction: the identities of others'
            // series (told to anyone listening) let it change none of them.
            QStringLiteral("CREATE FUNCTION vimbra.filed_now(series uuid) RETURNS boolean LANGUAGE sql"
                           " SECURITY DEFINER SET search_path = pg_catalog, vimbra AS"
                           " $$ SELECT EXISTS (SELECT FROM vimbra.series s WHERE s.uid = series"
                           "  AND s.xmin::text = (txid_current() % 4294967296)::text) $$"),
            QStringLiteral("REVOKE ALL ON FUNCTION vimbra.filed_now(uuid) FROM PUBLIC"),
            QStringLiteral("GRANT EXECUTE ON FUNCTION vimbra.filed_now(uuid) TO vimbra_learner, vimbra_teacher"),
            QStringLiteral("ALTER TABLE vimbra.shot ENABLE ROW LEVEL SECURITY"),
            QStringLiteral("CREATE POLICY learner_shots ON vimbra.shot FOR INSERT TO vimbra_learner"
                           " WITH CHECK (vimbra.filed_now(series_uid))"),
            QStringLiteral("CREATE POLICY teacher_shots ON vimbra.shot FOR ALL TO vimbra_teacher"
                           " USING (true) WITH CHECK (true)"),
        },
    };
    return steps;
}

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("vimbra-class-%1").arg(counter.fetchAndAddRelaxed(1));
}

// A libpq connection option's value, quoted as libpq reads it.
QString quoted(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// The first line of what the server or libpq said, without its severity.
QString firstLine(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    for (const char *prefix : {"FATAL:", "ERROR:"})
        if (text.startsWith(QLatin1String(prefix)))
            text = text.mid(int(qstrlen(prefix))).trimmed();
    return text.isEmpty() ? ServerTexts::tr("неизвестная ошибка") : text;
}

// A failure that will not go away by sending the series again as it is:
// its data (22), its integrity (23: a check says no) or the right to file it
// (42501: the roster's row-level security says no). Anything else may be the
// connection's, the moment's or a set-up the administrator mends.
bool lasting(const QSqlError &error)
{
    const QString state = error.nativeErrorCode();
    return state.startsWith(QLatin1String("22")) || state.startsWith(QLatin1String("23"))
           || state == QLatin1String("42501");
}

QVariant nullable(double value, bool present)
{
    return present ? QVariant(value) : QVariant(QMetaType::fromType<double>());
}

QVariant nullableInt(int value)
{
    return value >= 0 ? QVariant(value) : QVariant(QMetaType::fromType<int>());
}

} // namespace

ClassServer::ClassServer(const QString &service) : FService(service.trimmed()), FConnection(nextConnectionName()) {}

ClassServer::~ClassServer() { Close(); }

int ClassServer::SchemaVersion() { return int(migrations().size()); }

QString ClassServer::FiledChannel() { return QStringLiteral("vimbra_series"); }

QSqlDatabase ClassServer::Database() const { return QSqlDatabase::database(FConnection, false); }

bool ClassServer::IsOpen() const { return QSqlDatabase::contains(FConnection) && Database().isOpen(); }

void ClassServer::Close()
{
    if (!QSqlDatabase::contains(FConnection))
        return;
    {
        QSqlDatabase db = Database();
        db.close();
    }
    QSqlDatabase::removeDatabase(FConnection);
}

bool ClassServer::Open(QString *reason)
{
    Close();
    FLost = false;
    bool opened = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), FConnection);
        if (!db.isValid()) {
            FLost = true;
            if (reason)
                *reason = ServerTexts::tr("нет драйвера PostgreSQL для Qt (пакет libqt6sql6-psql)");
        } else {
            // Whatever the service does not say, libpq takes from its
            // environment and defaults. A server that does not answer is
            // given up after a few seconds; a connection whose network is
            // gone, after ten (unacknowledged data) to twenty-five (idle);
            // a statement after fifteen, a lock after five.
            QStringList options{QStringLiteral("connect_timeout=3"), QStringLiteral("application_name=vimbra"),
                                QStringLiteral("keepalives_idle=10"), QStringLiteral("keepalives_interval=5"),
                                QStringLiteral("keepalives_count=3"), QStringLiteral("tcp_user_timeout=10000"),
                                QStringLiteral("options='-c statement_timeout=15000 -c lock_timeout=5000'")};
            if (!FService.isEmpty())
                options.prepend(QStringLiteral("service=") + quoted(FService));
            db.setConnectOptions(options.join(QLatin1Char(' ')));
            opened = db.open();
            if (!opened) {
                FLost = true;
                if (reason)
                    *reason = firstLine(db.lastError());
            }
        }
    }
    if (!opened || !Migrate(reason)) {
        Close();
        return false;
    }
    return true;
}

int ClassServer::ServerVersion()
{
    QSqlQuery q(Database());
    if (!q.exec(QStringLiteral("SELECT to_regclass('vimbra.schema_version') IS NOT NULL")) || !q.next())
        return -1;
    if (!q.value(0).toBool())
        return 0;
    return q.exec(QStringLiteral("SELECT coalesce(max(version), 0) FROM vimbra.schema_version")) && q.next()
               ? q.value(0).toInt()
               : -1;
}

bool ClassServer::Migrate(QString *reason)
{
    QSqlDatabase db = Database();
    QSqlQuery q(db);
    auto fail = [&](const QString &why) {
        if (reason)
            *reason = why;
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    if (!q.exec(QStringLiteral("BEGIN")))
        return Fail(q, reason);
    q.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(?)"));
    q.addBindValue(kSchemaLock);
    if (!q.exec())
        return Fail(q, reason);
    const int found = ServerVersion();
    if (found < 0)
        return fail(ServerTexts::tr("не удаётся прочесть версию схемы журнала класса"));
    for (int version = found; version < SchemaVersion(); ++version) {
        for (const QString &step : migrations()[version]) {
            if (!q.exec(step)) {
                const QString why = q.lastError().nativeErrorCode() == QLatin1String("42501")
                                        ? (found == 0 ? ServerTexts::tr("журнал класса на сервере ещё не создан; его создаёт"
                                                                        " администратор (vimbra --class-journal-setup)")
                                                      : ServerTexts::tr("схема журнала класса на сервере устарела (версия %1,"
                                                                        " нужна %2); её обновляет администратор"
                                                                        " (vimbra --class-journal-setup)")
                                                            .arg(found)
                                                            .arg(SchemaVersion()))
                                        : firstLine(q.lastError());
                return fail(why);
            }
        }
        q.prepare(QStringLiteral("INSERT INTO vimbra.schema_version (version) VALUES (?)"));
        q.addBindValue(version + 1);
        if (!q.exec())
            return fail(firstLine(q.lastError()));
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return Fail(q, reason);
    return true;
}

bool ClassServer::Fail(const QSqlQuery &query, QString *reason)
{
    const QSqlError error = query.lastError();
    if (reason)
        *reason = firstLine(error);
    QSqlDatabase db = Database();
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    // Whether the connection itself failed: it is asked something trivial.
    if (!lasting(error)) {
        QSqlQuery probe(db);
        FLost = !probe.exec(QStringLiteral("SELECT 1"));
    }
    return false;
}

ClassServer::Outcome ClassServer::Send(const JournalSeries &series, const QString &computer, QString *reason)
{
    if (!IsOpen()) {
        if (reason)
            *reason = ServerTexts::tr("нет соединения");
        FLost = true;
        return Outcome::Unreachable;
    }
    QSqlDatabase db = Database();
    QSqlQuery q(db);
    auto failed = [&](QSqlQuery &query) {
        const bool forGood = lasting(query.lastError());
        Fail(query, reason);
        return forGood ? Outcome::Refused : Outcome::Unreachable;
    };
    if (!q.exec(QStringLiteral("BEGIN")))
        return failed(q);
    q.prepare(QStringLiteral(
        "INSERT INTO vimbra.series (uid, class, shooter, computer, fired_at, exercise, target_width, large_target,"
        " black_circle, correction, hidden_x, hidden_y, zeroing_series, time_limit_ms, total, mean_x, mean_y,"
        " mean_radius, extreme_spread, ring_width, in_ten, in_nine, hold_area)"
        " VALUES (CAST(? AS uuid), ?, ?, ?, CAST(? AS timestamptz), ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
        " ON CONFLICT DO NOTHING")); // naming the key would need the right to read it, which a learner has not
    const SeriesSteadiness steady = SeriesHold(series);
    const bool held = steady.measured > 0;
    for (const QVariant &v :
         {QVariant(series.uid.toString(QUuid::WithoutBraces)), QVariant(series.klass.isNull() ? QLatin1String("") : series.klass),
          QVariant(series.shooter), QVariant(computer),
          QVariant(series.firedAt.toUTC().toString(Qt::ISODateWithMs)),
          QVariant(series.exercise.isNull() ? QLatin1String("") : series.exercise), QVariant(series.targetWidth),
          QVariant(series.largeTarget), QVariant(series.blackCircleValue), QVariant(series.correction),
          QVariant(series.hiddenError.x()), QVariant(series.hiddenError.y()), QVariant(series.zeroingSeries),
          QVariant(series.timeLimitMs), QVariant(series.total), QVariant(series.meanPoint.x()),
          QVariant(series.meanPoint.y()), QVariant(series.meanRadius), QVariant(series.extremeSpread),
          QVariant(series.ringWidth), nullable(steady.inTen, held), nullable(steady.inNine, held),
          nullable(steady.holdRadiusRings, held)})
        q.addBindValue(v);
    if (!q.exec())
        return failed(q);
    if (q.numRowsAffected() == 0) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return Outcome::AlreadyThere;
    }
    q.prepare(QStringLiteral(
        "INSERT INTO vimbra.shot (series_uid, number, x, y, score, hold_x, hold_y, align_x, align_y, correction_x,"
        " correction_y, since_previous_ms, call_x, call_y, since_start_ms, late, trace)"
        " VALUES (CAST(? AS uuid), ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    for (const JournalShot &s : series.shots) {
        for (const QVariant &v :
             {QVariant(series.uid.toString(QUuid::WithoutBraces)), QVariant(s.number), QVariant(s.hole.x()),
              QVariant(s.hole.y()), QVariant(s.score), QVariant(s.hold.x()), QVariant(s.hold.y()),
              QVariant(s.alignment.x()), QVariant(s.alignment.y()), QVariant(s.correction.x()),
              QVariant(s.correction.y()), nullableInt(s.sincePreviousMs), nullable(s.call.x(), s.called),
              nullable(s.call.y(), s.called), nullableInt(s.sinceStartMs), QVariant(s.late),
              s.trace.isEmpty() ? QVariant(QMetaType::fromType<QByteArray>()) : QVariant(JournalStore::PackTrace(s.trace))})
            q.addBindValue(v);
        if (!q.exec())
            return failed(q);
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return failed(q);
    return Outcome::Sent;
}

std::optional<ClassRoster> ClassServer::Roster(QString *reason)
{
    QSqlQuery q(Database());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT class, name FROM vimbra.learner"))) {
        Fail(q, reason);
        return std::nullopt;
    }
    QList<ClassRoster::Learner> learners;
    while (q.next())
        learners << ClassRoster::Learner{q.value(0).toString(), q.value(1).toString()};
    return ClassRoster(std::move(learners));
}

bool ClassServer::AddLearners(const QList<ClassRoster::Learner> &learners, QString *reason)
{
    QSqlDatabase db = Database();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN")))
        return Fail(q, reason);
    q.prepare(QStringLiteral("INSERT INTO vimbra.learner (class, name) VALUES (?, ?) ON CONFLICT DO NOTHING"));
    for (const ClassRoster::Learner &l : learners) {
        q.addBindValue(l.klass.trimmed());
        q.addBindValue(l.name.trimmed());
        if (!q.exec())
            return Fail(q, reason);
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return Fail(q, reason);
    return true;
}

bool ClassServer::RemoveLearner(const ClassRoster::Learner &learner, QString *reason)
{
    QSqlQuery q(Database());
    q.prepare(QStringLiteral("DELETE FROM vimbra.learner WHERE class = ? AND name = ?"));
    q.addBindValue(learner.klass);
    q.addBindValue(learner.name);
    return q.exec() || Fail(q, reason);
}

bool ClassServer::MayReadClass()
{
    QSqlQuery q(Database());
    return q.exec(QStringLiteral("SELECT has_table_privilege('vimbra.series', 'SELECT')")) && q.next()
           && q.value(0).toBool();
}

QString ClassServer::Describe()
{
    QSqlQuery q(Database());
    if (!q.exec(QStringLiteral("SELECT current_user, current_database(), coalesce(inet_server_addr()::text, ''),"
                               " current_setting('port')"))
        || !q.next())
        return QString();
    const QString host = q.value(2).toString().isEmpty() ? ServerTexts::tr("локальный сокет") : q.value(2).toString();
    return ServerTexts::tr("пользователь %1, база %2, сервер %3:%4")
        .arg(q.value(0).toString(), q.value(1).toString(), host, q.value(3).toString());
}
