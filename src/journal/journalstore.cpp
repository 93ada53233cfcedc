#include "journal/journalstore.h"

#include <QCoreApplication>
#include <QAtomicInt>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QVariant>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace {

// The texts a user reads, for translation.
struct StoreTexts {
    Q_DECLARE_TR_FUNCTIONS(JournalStore)
};

// Each version's changes, from the empty file on: version n is reached by
// applying migrations[n - 1]. A later version adds to the list, never edits
// an entry, so every file ever written opens.
const QList<QStringList> &migrations()
{
    static const QList<QStringList> steps{
        {
            QStringLiteral("CREATE TABLE shooter (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE)"),
            QStringLiteral("CREATE TABLE series ("
                           " id INTEGER PRIMARY KEY,"
                           " shooter_id INTEGER NOT NULL REFERENCES shooter(id),"
                           " fired_at TEXT NOT NULL," // ISO 8601, UTC
                           " target_width INTEGER NOT NULL, large_target INTEGER NOT NULL,"
                           " black_circle INTEGER NOT NULL, correction INTEGER NOT NULL,"
                           " exercise TEXT NOT NULL DEFAULT '',"
                           " total INTEGER NOT NULL,"
                           " mean_x REAL NOT NULL, mean_y REAL NOT NULL,"
                           " mean_radius REAL NOT NULL, extreme_spread REAL NOT NULL, ring_width REAL NOT NULL)"),
            QStringLiteral("CREATE INDEX series_by_shooter ON series (shooter_id, fired_at)"),
            QStringLiteral("CREATE TABLE shot ("
                           " series_id INTEGER NOT NULL REFERENCES series(id) ON DELETE CASCADE,"
                           " number INTEGER NOT NULL,"
                           " x REAL NOT NULL, y REAL NOT NULL, score INTEGER NOT NULL,"
                           " hold_x REAL NOT NULL, hold_y REAL NOT NULL,"
                           " align_x REAL NOT NULL, align_y REAL NOT NULL,"
                           " correction_x REAL NOT NULL, correction_y REAL NOT NULL,"
                           " PRIMARY KEY (series_id, number)) WITHOUT ROWID"),
            QStringLiteral("CREATE TABLE setting (key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID"),
        },
        {
            // The exercises: the time between shots, the called shot, the
            // zeroing gun's error and the series it took; the aim's traces.
            QStringLiteral("ALTER TABLE shot ADD COLUMN since_previous_ms INTEGER"),
            QStringLiteral("ALTER TABLE shot ADD COLUMN call_x REAL"),
            QStringLiteral("ALTER TABLE shot ADD COLUMN call_y REAL"),
            QStringLiteral("ALTER TABLE series ADD COLUMN hidden_x INTEGER NOT NULL DEFAULT 0"),
            QStringLiteral("ALTER TABLE series ADD COLUMN hidden_y INTEGER NOT NULL DEFAULT 0"),
            QStringLiteral("ALTER TABLE series ADD COLUMN zeroing_series INTEGER NOT NULL DEFAULT 0"),
            // A shot's trace in one compressed value (see packTrace), in a
            // table of its own with row ids, where values of a kilobyte or so
            // pack densely: a row a sample would make a journal some twenty
            // times larger.
            QStringLiteral("CREATE TABLE trace ("
                           " series_id INTEGER NOT NULL REFERENCES series(id) ON DELETE CASCADE,"
                           " number INTEGER NOT NULL, samples BLOB NOT NULL,"
                           " PRIMARY KEY (series_id, number))"),
        },
        {
            // Each series' identity, given when it is fired: a series offered
            // again (a replay of the series kept for a later run) is filed
            // once. The series filed before it get one each.
            QStringLiteral("ALTER TABLE series ADD COLUMN uid TEXT"),
            QStringLiteral("UPDATE series SET uid = lower(hex(randomblob(4)) || '-' || hex(randomblob(2)) || '-4'"
                           " || substr(hex(randomblob(2)), 2) || '-' || substr('89ab', 1 + abs(random()) % 4, 1)"
                           " || substr(hex(randomblob(2)), 2) || '-' || hex(randomblob(6))) WHERE uid IS NULL"),
            QStringLiteral("CREATE UNIQUE INDEX series_by_uid ON series (uid)"),
        },
        {
            // «Стрельба на время»: the time the series was to be fired in
            // (0: none), each shot's time from the clock's start (NULL: no
            // clock) and the shots after the time (their score filed as 0).
            QStringLiteral("ALTER TABLE series ADD COLUMN time_limit_ms INTEGER NOT NULL DEFAULT 0"),
            QStringLiteral("ALTER TABLE shot ADD COLUMN since_start_ms INTEGER"),
            QStringLiteral("ALTER TABLE shot ADD COLUMN late INTEGER NOT NULL DEFAULT 0"),
        },
        {
            // The class journal's queue: the series still to be sent to the
            // class's server, in the order they were filed, with the
            // shooter's class; a series the server refused for good keeps
            // its reason and is not offered again.
            QStringLiteral("CREATE TABLE outbox (seq INTEGER PRIMARY KEY, uid TEXT NOT NULL UNIQUE,"
                           " class TEXT NOT NULL DEFAULT '', refused TEXT)"),
        },
    };
    return steps;
}

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("vimbra-journal-%1").arg(counter.fetchAndAddRelaxed(1));
}

// What a user is told, from what SQLite said.
// SQLite's primary result code (the low byte of an extended one).
int primaryCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xff : -1;
}

QString reasonFor(const QSqlError &error)
{
    switch (primaryCode(error)) {
    case 26: // not a database
    case 11: // corrupt
        return StoreTexts::tr("файл повреждён или это не журнал");
    case 13: // full
        return StoreTexts::tr("нет места на диске");
    case 8:  // read only
    case 23: // not authorised
    case 3:  // no permission
        return StoreTexts::tr("нет прав на запись");
    case 14: // cannot open
        return StoreTexts::tr("файл не открывается");
    case 5: // busy
    case 6: // locked
        return StoreTexts::tr("журнал занят другой программой");
    case 10: // a failed read or write: a full disk says so in errno
        if (error.databaseText().contains(QLatin1String("full"), Qt::CaseInsensitive))
            return StoreTexts::tr("нет места на диске");
        return StoreTexts::tr("ошибка чтения или записи диска");
    default:
        break;
    }
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? StoreTexts::tr("неизвестная ошибка") : text;
}

bool exec(QSqlQuery &query, const QString &sql, QString *reason)
{
    if (query.exec(sql))
        return true;
    if (reason)
        *reason = reasonFor(query.lastError());
    return false;
}

// A trace as little-endian 16-bit integers, three a sample: milliseconds
// before the shot, and the aim point in tenths of a pixel (clamped), each as
// its change from the sample before, so that the whole compresses well.
QByteArray packTrace(const QList<TraceSample> &trace)
{
    QByteArray bytes(trace.size() * 6, Qt::Uninitialized);
    char *out = bytes.data();
    qint16 last[3] = {0, 0, 0};
    auto put = [&out, &last](int i, double v) {
        const auto value = qint16(std::clamp(std::lround(v), -32768L, 32767L));
        qToLittleEndian<qint16>(qint16(value - last[i]), out); // wraps, and unwraps alike
        last[i] = value;
        out += 2;
    };
    for (const TraceSample &p : trace) {
        put(0, p.ms);
        put(1, p.aim.x() * 10);
        put(2, p.aim.y() * 10);
    }
    return qCompress(bytes, 9);
}

QList<TraceSample> unpackTrace(const QByteArray &packed)
{
    QList<TraceSample> trace;
    const QByteArray bytes = packed.isEmpty() ? QByteArray() : qUncompress(packed);
    trace.reserve(bytes.size() / 6);
    qint16 last[3] = {0, 0, 0};
    for (qsizetype at = 0; at + 6 <= bytes.size(); at += 6) {
        const char *in = bytes.constData() + at;
        for (int i = 0; i < 3; ++i)
            last[i] = qint16(last[i] + qFromLittleEndian<qint16>(in + 2 * i));
        trace << TraceSample{last[0], QPointF(last[1] / 10.0, last[2] / 10.0)};
    }
    return trace;
}

// "yyyy-MM-ddTHH:mm:ss.zzzZ", as the journal writes it, read directly (a
// long journal is read in one go); anything else through the general parser.
QDateTime utcFrom(const QString &text)
{
    if (text.size() == 24 && text[4] == u'-' && text[7] == u'-' && text[10] == u'T' && text[13] == u':'
        && text[16] == u':' && text[19] == u'.' && text[23] == u'Z') {
        auto n = [&text](int at, int digits) {
            int v = 0;
            for (int i = at; i < at + digits; ++i)
                v = v * 10 + (text[i].unicode() - u'0');
            return v;
        };
        const QDate date(n(0, 4), n(5, 2), n(8, 2));
        const QTime time(n(11, 2), n(14, 2), n(17, 2), n(20, 3));
        if (date.isValid() && time.isValid())
            return QDateTime(date, time, Qt::UTC);
    }
    QDateTime parsed = QDateTime::fromString(text, Qt::ISODate);
    parsed.setTimeSpec(Qt::UTC);
    return parsed;
}

JournalSeries seriesFrom(const QSqlQuery &q)
{
    JournalSeries s;
    s.id = q.value(0).toLongLong();
    s.firedAt = utcFrom(q.value(1).toString());
    s.shooter = q.value(2).toString();
    s.targetWidth = q.value(3).toInt();
    s.largeTarget = q.value(4).toBool();
    s.blackCircleValue = q.value(5).toInt();
    s.correction = q.value(6).toInt();
    s.exercise = q.value(7).toString();
    s.total = q.value(8).toInt();
    s.meanPoint = QPointF(q.value(9).toDouble(), q.value(10).toDouble());
    s.meanRadius = q.value(11).toDouble();
    s.extremeSpread = q.value(12).toDouble();
    s.ringWidth = q.value(13).toDouble();
    s.hiddenError = QPoint(q.value(14).toInt(), q.value(15).toInt());
    s.zeroingSeries = q.value(16).toInt();
    if (!q.value(17).isNull())
        s.uid = QUuid::fromString(q.value(17).toString());
    s.timeLimitMs = q.value(18).toInt();
    return s;
}


// A shot from a row whose columns from `first` on are: number, x, y, score,
// hold, alignment and correction (x and y each), the time since the shot
// before, the call (x and y), the time since the clock's start, late.
JournalShot shotFrom(const QSqlQuery &q, int first)
{
    auto v = [&q, first](int i) { return q.value(first + i); };
    JournalShot shot{v(0).toInt(), QPointF(v(1).toDouble(), v(2).toDouble()), v(3).toInt(),
                     QPointF(v(4).toDouble(), v(5).toDouble()), QPointF(v(6).toDouble(), v(7).toDouble()),
                     QPointF(v(8).toDouble(), v(9).toDouble())};
    shot.sincePreviousMs = v(10).isNull() ? -1 : v(10).toInt();
    shot.called = !v(11).isNull();
    if (shot.called)
        shot.call = QPointF(v(11).toDouble(), v(12).toDouble());
    shot.sinceStartMs = v(13).isNull() ? -1 : v(13).toInt();
    shot.late = v(14).toBool();
    return shot;
}

} // namespace

JournalStore::JournalStore() : FConnection(nextConnectionName()) {}

JournalStore::~JournalStore() { Close(); }

QString JournalStore::DefaultPath()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/vimbra/journal.sqlite");
}

int JournalStore::SchemaVersion() { return int(migrations().size()); }

bool JournalStore::IsOpen() const
{
    return QSqlDatabase::contains(FConnection) && QSqlDatabase::database(FConnection, false).isOpen();
}

void JournalStore::Close()
{
    if (!QSqlDatabase::contains(FConnection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(FConnection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(FConnection);
}

void JournalStore::SetBusyTimeout(int ms)
{
    FBusyTimeoutMs = std::max(0, ms);
    if (IsOpen())
        QSqlQuery(QSqlDatabase::database(FConnection)).exec(QStringLiteral("PRAGMA busy_timeout=%1").arg(FBusyTimeoutMs));
}

bool JournalStore::Open(const QString &path, QString *reason, bool *damaged, Check check, Access access)
{
    Close();
    FPath = path;
    FReadOnly = access == Access::ReadOnly;
    FVersion = 0;
    QString ignored;
    QString &why = reason ? *reason : ignored;
    if (damaged)
        *damaged = false;
    const QFileInfo info(path);
    if (info.isDir()) {
        why = StoreTexts::tr("на месте файла журнала папка");
        return false;
    }
    if (FReadOnly && !info.exists()) {
        why = StoreTexts::tr("журнала ещё нет");
        return false;
    }
    if (!info.exists() && !QDir().mkpath(info.absolutePath())) {
        why = StoreTexts::tr("не удаётся создать папку %1").arg(info.absolutePath());
        return false;
    }
    if (info.exists() && !info.isReadable()) {
        why = StoreTexts::tr("нет прав на чтение");
        return false;
    }

    // Read only: SQLite's own read-only mode; where it cannot keep the log's
    // index beside the file (a folder nobody may write), the file is read as
    // one that does not change.
    auto connect = [&](bool readOnly, bool immutable) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FConnection);
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(FBusyTimeoutMs);
        if (readOnly)
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        if (immutable) {
            options += QStringLiteral(";QSQLITE_OPEN_URI");
            db.setDatabaseName(QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded)
                               + QStringLiteral("?immutable=1"));
        } else {
            db.setDatabaseName(path);
        }
        db.setConnectOptions(options);
        return db;
    };
    // SQLite keeps its log beside the file: a folder the user may not write
    // cannot hold a journal that is written.
    if (!FReadOnly && ((info.exists() && !info.isWritable()) || !QFileInfo(info.absolutePath()).isWritable())) {
        why = StoreTexts::tr("нет прав на запись");
        return false;
    }
    // Every statement here runs to its end (finish()), so that no read
    // lingers on: two programs opening at once must not lock each other out.
    QString failure;
    bool isDamaged = false;
    int failedWith = 0; // SQLite's code for the failure, if it gave one
    auto verify = [&](QSqlDatabase &db) {
        if (!db.open()) {
            failedWith = primaryCode(db.lastError());
            failure = reasonFor(db.lastError());
            return false;
        }
        QSqlQuery q(db);
        // The file's first page tells whether it is a database at all; a
        // damaged one fails the quick check. Neither is touched further.
        const bool thorough = check == Check::Thorough;
        const bool ran = exec(q, thorough ? QStringLiteral("PRAGMA quick_check") : QStringLiteral("PRAGMA schema_version"),
                              &failure);
        if (!ran || !q.next() || (thorough && q.value(0).toString() != QLatin1String("ok"))) {
            failedWith = primaryCode(q.lastError());
            isDamaged = ran || failedWith == 26 || failedWith == 11;
            if (failure.isEmpty() || ran || isDamaged)
                failure = StoreTexts::tr("файл повреждён");
            return false;
        }
        q.finish();
        if (!exec(q, QStringLiteral("PRAGMA user_version"), &failure) || !q.next())
            return false;
        FVersion = q.value(0).toInt();
        q.finish();
        if (FVersion > SchemaVersion()) {
            failure = StoreTexts::tr("журнал записан более новой версией программы");
            return false;
        }
        return true;
    };
    const bool hadLog = QFile::exists(path + QStringLiteral("-wal")) || QFile::exists(path + QStringLiteral("-shm"));
    bool ok = false;
    {
        // A file there is checked through a connection that cannot write:
        // closing it never folds its log into a damaged file.
        QSqlDatabase db = connect(FReadOnly || info.exists(), false);
        ok = verify(db);
        if (!ok && FReadOnly && !isDamaged && (failedWith == 8 || failedWith == 14)) {
            // No log index could be made beside the file (a folder nobody
            // may write): read it as it is.
            db = QSqlDatabase();
            Close();
            failure.clear();
            QSqlDatabase again = connect(true, true);
            ok = verify(again);
        }
    }
    if (!ok && isDamaged && !hadLog) {
        // The empty log and its index the check left beside a damaged file.
        Close();
        if (QFileInfo(path + QStringLiteral("-wal")).size() == 0) {
            QFile::remove(path + QStringLiteral("-wal"));
            QFile::remove(path + QStringLiteral("-shm"));
        }
    }
    if (ok && !FReadOnly && info.exists()) {
        // Sound: now opened to be written.
        Close();
        QSqlDatabase db = connect(false, false);
        if (!db.open()) {
            failure = reasonFor(db.lastError());
            ok = false;
        }
    }
    if (ok && !FReadOnly) {
        QSqlDatabase db = QSqlDatabase::database(FConnection, false);
        ok = [&] {
            QSqlQuery q(db);
            // Switching to WAL takes the file for a moment (even one in WAL
            // already: asked only when it is not), and SQLite does not wait
            // for a program that is switching it at the same time: retry.
            QElapsedTimer waited;
            waited.start();
            const bool wal = q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next()
                             && q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
            q.finish();
            while (!wal && !q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) {
                if (primaryCode(q.lastError()) != 5 || waited.elapsed() > FBusyTimeoutMs) {
                    failure = reasonFor(q.lastError());
                    return false;
                }
                QThread::msleep(10);
            }
            q.finish();
            if (!exec(q, QStringLiteral("PRAGMA foreign_keys=ON"), &failure)
                || !exec(q, QStringLiteral("PRAGMA synchronous=NORMAL"), &failure))
                return false;
            if (FVersion == SchemaVersion())
                return true;
            // A file to be changed is checked whole first, however it was opened.
            if (check != Check::Thorough) {
                if (!exec(q, QStringLiteral("PRAGMA quick_check"), &failure) || !q.next()
                    || q.value(0).toString() != QLatin1String("ok")) {
                    failure = StoreTexts::tr("файл повреждён");
                    isDamaged = true;
                    return false;
                }
                q.finish();
            }
            // Bring the file up to this program's schema, all steps in one go;
            // another program may have done it meanwhile, or gone further.
            if (!exec(q, QStringLiteral("BEGIN IMMEDIATE"), &failure))
                return false;
            int now = FVersion;
            if (exec(q, QStringLiteral("PRAGMA user_version"), &failure) && q.next())
                now = q.value(0).toInt();
            q.finish();
            if (now >= SchemaVersion()) {
                exec(q, QStringLiteral("ROLLBACK"), nullptr);
                if (now > SchemaVersion()) {
                    failure = StoreTexts::tr("журнал записан более новой версией программы");
                    return false;
                }
                FVersion = now;
                return true;
            }
            bool done = true;
            for (int step = now; done && step < SchemaVersion(); ++step)
                for (const QString &sql : migrations()[step])
                    done = done && exec(q, sql, &failure);
            done = done && exec(q, QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion()), &failure)
                   && exec(q, QStringLiteral("COMMIT"), &failure);
            if (!done)
                q.exec(QStringLiteral("ROLLBACK"));
            else
                FVersion = SchemaVersion();
            return done;
        }();
    }
    if (!ok) {
        why = failure;
        if (damaged)
            *damaged = isDamaged;
        Close();
        return false;
    }
    return true;
}

// The columns seriesFrom() reads, from the file's own schema: a journal of an
// earlier version, read only, has none of the later columns. A long list
// leaves out the identities, which no list shows.
QString JournalStore::SeriesColumns(bool identity) const
{
    return QStringLiteral("s.id, s.fired_at, h.name, s.target_width, s.large_target, s.black_circle, s.correction,"
                          " s.exercise, s.total, s.mean_x, s.mean_y, s.mean_radius, s.extreme_spread, s.ring_width, %1, %2,"
                          " %3 FROM series s JOIN shooter h ON h.id = s.shooter_id")
        .arg(FVersion >= 2 ? QStringLiteral("s.hidden_x, s.hidden_y, s.zeroing_series") : QStringLiteral("0, 0, 0"),
             FVersion >= 3 && identity ? QStringLiteral("s.uid") : QStringLiteral("NULL"),
             FVersion >= 4 ? QStringLiteral("s.time_limit_ms") : QStringLiteral("0"));
}

bool JournalStore::Write(JournalSeries &series, QString *reason, bool *existed)
{
    if (existed)
        *existed = false;
    FBusy = false;
    if (!IsOpen() || FReadOnly) {
        if (reason)
            *reason = IsOpen() ? StoreTexts::tr("журнал открыт только для чтения") : StoreTexts::tr("журнал не открыт");
        return false;
    }
    if (series.uid.isNull())
        series.uid = QUuid::createUuid();
    // Filed under the shooter in use when the series names none.
    if (series.shooter.isNull())
        series.shooter = Setting(QStringLiteral("shooter"));
    if (series.shooter.isNull())
        series.shooter = QLatin1String("");
    QSqlDatabase db = QSqlDatabase::database(FConnection);
    QSqlQuery q(db);
    if (!exec(q, QStringLiteral("BEGIN IMMEDIATE"), reason)) {
        FBusy = primaryCode(q.lastError()) == 5 || primaryCode(q.lastError()) == 6;
        return false;
    }
    auto fail = [&](QSqlQuery &failed) {
        FBusy = primaryCode(failed.lastError()) == 5 || primaryCode(failed.lastError()) == 6;
        if (reason)
            *reason = reasonFor(failed.lastError());
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    q.prepare(QStringLiteral("INSERT INTO shooter (name) VALUES (?) ON CONFLICT (name) DO NOTHING"));
    q.addBindValue(series.shooter);
    if (!q.exec())
        return fail(q);
    q.prepare(QStringLiteral("INSERT INTO series (uid, shooter_id, fired_at, target_width, large_target, black_circle,"
                             " correction, exercise, total, mean_x, mean_y, mean_radius, extreme_spread, ring_width,"
                             " hidden_x, hidden_y, zeroing_series, time_limit_ms)"
                             " VALUES (?, (SELECT id FROM shooter WHERE name = ?), ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                             " ON CONFLICT (uid) DO NOTHING"));
    const QString uid = series.uid.toString(QUuid::WithoutBraces);
    for (const QVariant &v : {QVariant(uid), QVariant(series.shooter), QVariant(series.firedAt.toUTC().toString(Qt::ISODateWithMs)),
                              QVariant(series.targetWidth), QVariant(int(series.largeTarget)),
                              QVariant(series.blackCircleValue), QVariant(series.correction),
                              QVariant(series.exercise.isNull() ? QLatin1String("") : series.exercise),
                              QVariant(series.total), QVariant(series.meanPoint.x()), QVariant(series.meanPoint.y()),
                              QVariant(series.meanRadius), QVariant(series.extremeSpread), QVariant(series.ringWidth),
                              QVariant(series.hiddenError.x()), QVariant(series.hiddenError.y()),
                              QVariant(series.zeroingSeries), QVariant(series.timeLimitMs)})
        q.addBindValue(v);
    if (!q.exec())
        return fail(q);
    if (q.numRowsAffected() == 0) {
        // Filed before (a replay): the journal's own copy stands.
        q.prepare(QStringLiteral("SELECT id FROM series WHERE uid = ?"));
        q.addBindValue(uid);
        if (!q.exec() || !q.next())
            return fail(q);
        const qint64 id = q.value(0).toLongLong();
        q.finish();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK")); // not even a new shooter's name
        series.id = id;
        if (existed)
            *existed = true;
        return true;
    }
    const qint64 id = q.lastInsertId().toLongLong();
    q.prepare(QStringLiteral("INSERT INTO shot (series_id, number, x, y, score, hold_x, hold_y, align_x, align_y,"
                             " correction_x, correction_y, since_previous_ms, call_x, call_y, since_start_ms, late)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery trace(db);
    trace.prepare(QStringLiteral("INSERT INTO trace (series_id, number, samples) VALUES (?, ?, ?)"));
    for (const JournalShot &s : series.shots) {
        const QVariant none(QMetaType::fromType<double>());
        for (const QVariant &v : {QVariant(id), QVariant(s.number), QVariant(s.hole.x()), QVariant(s.hole.y()),
                                  QVariant(s.score), QVariant(s.hold.x()), QVariant(s.hold.y()),
                                  QVariant(s.alignment.x()), QVariant(s.alignment.y()), QVariant(s.correction.x()),
                                  QVariant(s.correction.y()),
                                  s.sincePreviousMs >= 0 ? QVariant(s.sincePreviousMs) : QVariant(QMetaType::fromType<int>()),
                                  s.called ? QVariant(s.call.x()) : none, s.called ? QVariant(s.call.y()) : none,
                                  s.sinceStartMs >= 0 ? QVariant(s.sinceStartMs) : QVariant(QMetaType::fromType<int>()),
                                  QVariant(int(s.late))})
            q.addBindValue(v);
        if (!q.exec())
            return fail(q);
        if (s.trace.isEmpty())
            continue;
        trace.addBindValue(id);
        trace.addBindValue(s.number);
        trace.addBindValue(packTrace(s.trace));
        if (!trace.exec())
            return fail(trace);
    }
    if (series.forClassJournal) {
        // Queued for the class journal in the same transaction: a series in
        // the journal is on its way there whatever happens next.
        q.prepare(QStringLiteral("INSERT INTO outbox (uid, class) VALUES (?, ?) ON CONFLICT (uid) DO NOTHING"));
        q.addBindValue(uid);
        q.addBindValue(series.klass.isNull() ? QLatin1String("") : series.klass);
        if (!q.exec())
            return fail(q);
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return fail(q);
    series.id = id;
    return true;
}

int JournalStore::RequeueRefused()
{
    if (!IsOpen() || FReadOnly || FVersion < 5)
        return 0;
    QSqlQuery q(QSqlDatabase::database(FConnection));
    return q.exec(QStringLiteral("UPDATE outbox SET refused = NULL WHERE refused IS NOT NULL")) ? q.numRowsAffected() : 0;
}

QByteArray JournalStore::PackTrace(const QList<TraceSample> &trace) { return packTrace(trace); }

QList<TraceSample> JournalStore::UnpackTrace(const QByteArray &packed) { return unpackTrace(packed); }

QList<JournalStore::Queued> JournalStore::Outbox(int limit)
{
    QList<Queued> queued;
    if (!IsOpen() || FVersion < 5)
        return queued;
    QSqlQuery q(QSqlDatabase::database(FConnection));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT o.uid, o.class, s.id FROM outbox o JOIN series s ON s.uid = o.uid"
                             " WHERE o.refused IS NULL ORDER BY o.seq LIMIT ?"));
    q.addBindValue(limit);
    if (q.exec())
        while (q.next())
            queued << Queued{QUuid::fromString(q.value(0).toString()), q.value(1).toString(), q.value(2).toLongLong()};
    return queued;
}

int JournalStore::OutboxSize()
{
    if (!IsOpen() || FVersion < 5)
        return 0;
    QSqlQuery q(QSqlDatabase::database(FConnection));
    return q.exec(QStringLiteral("SELECT count(*) FROM outbox WHERE refused IS NULL")) && q.next() ? q.value(0).toInt() : 0;
}

bool JournalStore::Dequeue(const QUuid &uid, const QString &refused)
{
    if (!IsOpen() || FReadOnly || FVersion < 5)
        return false;
    QSqlQuery q(QSqlDatabase::database(FConnection));
    if (refused.isNull())
        q.prepare(QStringLiteral("DELETE FROM outbox WHERE uid = ?"));
    else {
        q.prepare(QStringLiteral("UPDATE outbox SET refused = ? WHERE uid = ?"));
        q.addBindValue(refused);
    }
    q.addBindValue(uid.toString(QUuid::WithoutBraces));
    return q.exec();
}

bool JournalStore::HoldsAlike(const JournalSeries &series)
{
    if (!IsOpen())
        return false;
    QSqlQuery q(QSqlDatabase::database(FConnection));
    q.prepare(QStringLiteral("SELECT 1 FROM series s JOIN shooter h ON h.id = s.shooter_id"
                             " WHERE s.fired_at = ? AND s.total = ? AND (? IS NULL OR h.name = ?) LIMIT 1"));
    const QVariant shooter = series.shooter.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(series.shooter);
    for (const QVariant &v : {QVariant(series.firedAt.toUTC().toString(Qt::ISODateWithMs)), QVariant(series.total),
                              shooter, shooter})
        q.addBindValue(v);
    return q.exec() && q.next();
}

QStringList JournalStore::Shooters()
{
    QStringList names;
    if (!IsOpen())
        return names;
    QSqlQuery q(QSqlDatabase::database(FConnection));
    if (q.exec(QStringLiteral("SELECT name FROM shooter ORDER BY name")))
        while (q.next())
            names << q.value(0).toString();
    return names;
}

QList<JournalSeries> JournalStore::Summaries(const QString &shooter)
{
    QList<JournalSeries> list;
    if (!IsOpen())
        return list;
    QSqlQuery q(QSqlDatabase::database(FConnection));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 WHERE h.name = ? ORDER BY s.fired_at DESC, s.id DESC")
                  .arg(SeriesColumns(false)));
    q.addBindValue(shooter.isNull() ? QLatin1String("") : shooter);
    if (q.exec())
        while (q.next())
            list << seriesFrom(q);
    return list;
}

std::optional<JournalSeries> JournalStore::Summary(qint64 id)
{
    if (!IsOpen())
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(FConnection));
    q.prepare(QStringLiteral("SELECT %1 WHERE s.id = ?").arg(SeriesColumns(true)));
    q.addBindValue(id);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return seriesFrom(q);
}

std::optional<JournalSeries> JournalStore::Read(qint64 id, bool traces)
{
    if (!IsOpen())
        return std::nullopt;
    std::optional<JournalSeries> series = Summary(id);
    if (series)
        ReadShots(*series, traces);
    return series;
}

void JournalStore::ReadShots(JournalSeries &series, bool traces)
{
    series.shots.clear();
    if (!IsOpen())
        return;
    QSqlDatabase db = QSqlDatabase::database(FConnection);
    QSqlQuery shots(db);
    shots.prepare(QStringLiteral("SELECT number, x, y, score, hold_x, hold_y, align_x, align_y, correction_x,"
                                 " correction_y, %1, %2 FROM shot WHERE series_id = ? ORDER BY number")
                      .arg(FVersion >= 2 ? QStringLiteral("since_previous_ms, call_x, call_y")
                                         : QStringLiteral("NULL, NULL, NULL"),
                           FVersion >= 4 ? QStringLiteral("since_start_ms, late") : QStringLiteral("NULL, 0")));
    shots.addBindValue(series.id);
    if (shots.exec())
        while (shots.next())
            series.shots << shotFrom(shots, 0);
    if (!traces || FVersion < 2)
        return;
    QSqlQuery trace(db);
    trace.prepare(QStringLiteral("SELECT number, samples FROM trace WHERE series_id = ?"));
    trace.addBindValue(series.id);
    if (trace.exec())
        while (trace.next())
            for (JournalShot &shot : series.shots)
                if (shot.number == trace.value(0).toInt())
                    shot.trace = unpackTrace(trace.value(1).toByteArray());
}

QList<JournalSeries> JournalStore::ReadAll(const QString &shooter)
{
    QList<JournalSeries> all = Summaries(shooter);
    std::reverse(all.begin(), all.end()); // oldest first
    if (all.isEmpty())
        return all;
    // Every shot of the shooter in one query, not one a series.
    QHash<qint64, qsizetype> at;
    at.reserve(all.size());
    for (qsizetype i = 0; i < all.size(); ++i)
        at.insert(all[i].id, i);
    QSqlQuery shots(QSqlDatabase::database(FConnection));
    shots.setForwardOnly(true);
    shots.prepare(QStringLiteral("SELECT t.series_id, t.number, t.x, t.y, t.score, t.hold_x, t.hold_y, t.align_x,"
                                 " t.align_y, t.correction_x, t.correction_y, %1, %2 FROM shot t"
                                 " JOIN series s ON s.id = t.series_id JOIN shooter h ON h.id = s.shooter_id"
                                 " WHERE h.name = ? ORDER BY t.series_id, t.number")
                      .arg(FVersion >= 2 ? QStringLiteral("t.since_previous_ms, t.call_x, t.call_y")
                                         : QStringLiteral("NULL, NULL, NULL"),
                           FVersion >= 4 ? QStringLiteral("t.since_start_ms, t.late") : QStringLiteral("NULL, 0")));
    shots.addBindValue(shooter.isNull() ? QLatin1String("") : shooter);
    if (shots.exec())
        while (shots.next()) {
            const auto found = at.constFind(shots.value(0).toLongLong());
            if (found != at.constEnd())
                all[*found].shots << shotFrom(shots, 1);
        }
    return all;
}

void JournalStore::ReadTraces(const QString &shooter,
                              const std::function<bool(qint64 seriesId, int number, const QList<TraceSample> &trace)> &each)
{
    if (!IsOpen() || FVersion < 2)
        return;
    // Through the series' index by shooter and time, then each series' own
    // traces: streamed, never sorted.
    QSqlQuery q(QSqlDatabase::database(FConnection));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT t.series_id, t.number, t.samples FROM series s"
                             " JOIN shooter h ON h.id = s.shooter_id JOIN trace t ON t.series_id = s.id"
                             " WHERE h.name = ? ORDER BY s.fired_at DESC, s.id DESC"));
    q.addBindValue(shooter.isNull() ? QLatin1String("") : shooter);
    if (q.exec())
        while (q.next())
            if (!each(q.value(0).toLongLong(), q.value(1).toInt(), unpackTrace(q.value(2).toByteArray())))
                return;
}

QString JournalStore::Setting(const QString &key)
{
    if (!IsOpen())
        return QString();
    QSqlQuery q(QSqlDatabase::database(FConnection));
    q.prepare(QStringLiteral("SELECT value FROM setting WHERE key = ?"));
    q.addBindValue(key);
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

bool JournalStore::SetSetting(const QString &key, const QString &value)
{
    if (!IsOpen() || FReadOnly)
        return false;
    QSqlQuery q(QSqlDatabase::database(FConnection));
    q.prepare(QStringLiteral("INSERT INTO setting (key, value) VALUES (?, ?)"
                             " ON CONFLICT (key) DO UPDATE SET value = excluded.value"));
    q.addBindValue(key);
    q.addBindValue(value);
    return q.exec();
}

bool JournalStore::IntegrityOk()
{
    if (!IsOpen())
        return false;
    QSqlQuery q(QSqlDatabase::database(FConnection));
    return q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next() && q.value(0).toString() == QLatin1String("ok");
}
