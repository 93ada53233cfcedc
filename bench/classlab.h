#pragma once

// The class journal for a benchmark: a PostgreSQL server of its own with the
// schema made, and the connection services "admin" (the server's
// superuser), "learner" and "teacher" (the two roles, allowed to log in)
// written into a service file in `dir` that PGSERVICEFILE names.

#include "pgserver.h"

#include "journal/classserver.h"

#include <QFile>
#include <QTemporaryDir>

inline bool StartClassJournal(PgServer &pg, const QTemporaryDir &dir, QString *error)
{
    if (!pg.Start(error))
        return false;
    const QString services = dir.filePath(QStringLiteral("pg_service.conf"));
    pg.WriteServiceFile(services, QStringLiteral("admin"), QStringLiteral("postgres"));
    pg.WriteServiceFile(services, QStringLiteral("learner"), QStringLiteral("vimbra_learner"));
    pg.WriteServiceFile(services, QStringLiteral("teacher"), QStringLiteral("vimbra_teacher"));
    qputenv("PGSERVICEFILE", QFile::encodeName(services));
    ClassServer admin(QStringLiteral("admin"));
    return admin.Open(error)
           && pg.Psql(QStringLiteral("ALTER ROLE vimbra_learner LOGIN; ALTER ROLE vimbra_teacher LOGIN;"), nullptr,
                      error);
}
