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

// The statement that failed, with the database's reason.
Result<void> exec(QSqlDatabase db, const QString &sql) {
    QSqlQuery query(db);
    if (!query.exec(sql))
        return Failure{query.lastError().text() + QStringLiteral(" en: ") + sql};
    return {};
}

} // namespace

Result<void> runInTransaction(QSqlDatabase db, const QStringList &statements) {
    if (!db.transaction())
        return Failure{db.lastError().text()};
    for (const QString &statement : statements) {
        if (Result<void> done = exec(db, statement); !done.ok()) {
            db.rollback();
            return done;
        }
    }
    if (!db.commit())
        return Failure{db.lastError().text()};
    return {};
}

Result<void> createDocumentDatabase(const QString &path) {
    if (QFile::exists(path))
        return Failure{QStringLiteral("Ya existe %1.").arg(QDir::toNativeSeparators(path))};
    const QString name = QStringLiteral("esquema-") + path;
    Result<void> created;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            created = Failure{db.lastError().text()};
        } else {
            created = runInTransaction(db, schemaStatements(QStringLiteral(":/db/schema.sql")));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return created;
}

Result<void> createServerSchema(const QString &address) {
    DocumentConnection db;
    if (const Result<void> opened = db.open(address, QStringLiteral("esquema")); !opened.ok())
        return opened;
    return runInTransaction(db.database(),
                            schemaStatements(QStringLiteral(":/db/schema-postgresql.sql")));
}

} // namespace robot
