#include "db/DocumentSchema.h"

#include "db/DocumentDatabase.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

// Qt registers resources from the global namespace.
static void initSchemaResources() {
    Q_INIT_RESOURCE(db);
}

namespace robot {

// The schema is a resource of a static library: it must be registered by hand, from outside
// any namespace.
static void initSchemaResource() {
    initSchemaResources();
}

namespace {

// Splits a schema script into statements; a trigger body (BEGIN … END;) and a function body
// in dollar quotes keep their inner semicolons.
QStringList schemaStatements(const QString &resource) {
    initSchemaResource();
    QFile file(resource);
    file.open(QIODevice::ReadOnly);
    QStringList statements;
    QString current;
    bool inBody = false;
    bool inDollarQuotes = false;
    for (const QString &raw : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QStringLiteral("--")))
            continue;
        current += raw + u'\n';
        if (line.count(QStringLiteral("$$")) % 2 == 1)
            inDollarQuotes = !inDollarQuotes;
        if (line == QStringLiteral("BEGIN"))
            inBody = true;
        else if (inBody && line == QStringLiteral("END;"))
            inBody = false;
        if (!inBody && !inDollarQuotes && line.endsWith(u';')) {
            statements << current;
            current.clear();
        }
    }
    return statements;
}

bool fail(QString *error, const QString &text) {
    if (error)
        *error = text;
    return false;
}

struct StatementRun {
    QSqlDatabase db;
    QString error;
    bool exec(const QString &sql) {
        QSqlQuery query(db);
        if (!query.exec(sql)) {
            error = query.lastError().text() + QStringLiteral(" en: ") + sql;
            return false;
        }
        return true;
    }
};

} // namespace

bool runInTransaction(QSqlDatabase db, const QStringList &statements, QString *error) {
    StatementRun run{db, {}};
    bool ok = db.transaction();
    if (!ok)
        return fail(error, db.lastError().text());
    for (const QString &statement : statements) {
        if (ok && !run.exec(statement))
            ok = fail(error, run.error);
    }
    return ok ? db.commit() : (db.rollback(), false);
}

bool createDocumentDatabase(const QString &path, QString *error) {
    if (QFile::exists(path))
        return fail(error, QStringLiteral("Ya existe %1.").arg(QDir::toNativeSeparators(path)));
    const QString name = QStringLiteral("esquema-") + path;
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            ok = fail(error, db.lastError().text());
        } else {
            ok = runInTransaction(db, schemaStatements(QStringLiteral(":/db/schema.sql")), error);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool createServerSchema(const QString &address, QString *error) {
    DocumentConnection db;
    return db.open(address, QStringLiteral("esquema"), error) &&
           runInTransaction(db.database(),
                            schemaStatements(QStringLiteral(":/db/schema-postgresql.sql")), error);
}

} // namespace robot
