#include "db/DocumentSchema.h"

#include "printer/Ansi.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>

// The schema is a resource of a static library: it must be registered by hand, from outside
// any namespace.
static void initSchemaResource() {
    Q_INIT_RESOURCE(db);
}

namespace {

// Splits the schema script into statements; a trigger body keeps its inner semicolons.
QStringList schemaStatements() {
    initSchemaResource();
    QFile file(QStringLiteral(":/db/schema.sql"));
    file.open(QIODevice::ReadOnly);
    QStringList statements;
    QString current;
    bool inBody = false;
    for (const QString &raw : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QStringLiteral("--")))
            continue;
        current += raw + u'\n';
        if (line == QStringLiteral("BEGIN"))
            inBody = true;
        else if (inBody && line == QStringLiteral("END;"))
            inBody = false;
        if (!inBody && line.endsWith(u';')) {
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

struct DemoDocumentsRun {
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

const char *const kDemoRows[] = {
    "INSERT INTO Configuración VALUES ('J123456789', -1, 0, 0)",
    // A plain cash sale with an exempt line.
    "INSERT INTO Ventas (Código, Fecha, NombreCliente, RIF, Dirección, PorcentImpuesto, "
    "PlantillaAuxiliar, MedioPago, Descuento01, Descuento02, Descuento03, Imprimir, "
    "MáquinaFiscal) VALUES (101, '2026-12-06', 'José Peña', 'V123456789', 'Av. Bolívar 12, "
    "Caracas', 0.12, 0, 0, 0, 0, 0, -1, 1)",
    "INSERT INTO VentasDetalles VALUES (101, 1, 0, 2, 2, 12.5, 0, 'Café molido 500 g', NULL)",
    "INSERT INTO VentasDetalles VALUES (101, 2, 0, 1, 1, 3.75, -1, 'Azúcar refinada 1 kg', "
    "NULL)",
    // A long customer name, a discount, payment by card and no address.
    "INSERT INTO Ventas (Código, Fecha, NombreCliente, RIF, Dirección, PorcentImpuesto, "
    "PlantillaAuxiliar, MedioPago, Descuento01, Descuento02, Descuento03, Imprimir, "
    "MáquinaFiscal) VALUES (102, '2026-12-06', 'Distribuidora Ñandú de Alimentos y Bebidas "
    "Sucursal Este', 'J309876543', NULL, 0.12, -1, 1, 5, 0, 0, -1, 1)",
    "INSERT INTO VentasDetalles VALUES (102, 1, 0, 3, 3, 45, 0, 'Aceite de oliva 1 l', "
    "'Aceite de oliva extra virgen')",
    "INSERT INTO VentasDetalles VALUES (102, 2, 0, 1, 1, 120, 0, 'Jamón serrano', NULL)",
    "INSERT INTO VentasDetalles VALUES (102, 3, -1, 1, 1, 0, 0, 'Bolsa (no se muestra)', "
    "NULL)",
    // A sale of another fiscal machine: never printed here.
    "INSERT INTO Ventas (Código, Fecha, NombreCliente, RIF, Dirección, PorcentImpuesto, "
    "PlantillaAuxiliar, MedioPago, Descuento01, Descuento02, Descuento03, Imprimir, "
    "MáquinaFiscal) VALUES (103, '2026-12-06', 'Cliente de la caja 2', 'V111222333', "
    "'Maracay', 0.12, 0, 0, 0, 0, 0, -1, 2)",
    "INSERT INTO VentasDetalles VALUES (103, 1, 0, 1, 1, 10, 0, 'Pan de jamón', NULL)",
    // A credit note with lines and one without (printed from its amounts).
    "INSERT INTO NotaCréditoVenta (Código, Fecha, NombreCliente, RIF, Dirección, Factura, "
    "PorcentImpuesto, Monto, MontoExcento, DescuentoFactura, Imprimir, MáquinaFiscal) VALUES "
    "(201, '2026-12-06', 'María Núñez', 'V987654321', 'Valencia', '000087', 0.12, 25, 0, NULL, "
    "-1, 1)",
    "INSERT INTO NotaCréditoVentaDetalles VALUES (201, 1, 0, 1, 1, 25, 0, 'Devolución café')",
    "INSERT INTO NotaCréditoVenta (Código, Fecha, NombreCliente, RIF, Dirección, Factura, "
    "PorcentImpuesto, Monto, MontoExcento, DescuentoFactura, Imprimir, MáquinaFiscal) VALUES "
    "(202, '2026-12-06', 'Óscar Ibáñez', 'V555666777', NULL, '000090', 0.12, 100, 50, 0, -1, "
    "1)",
};

} // namespace

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
            DemoDocumentsRun run{db, {}};
            ok = db.transaction();
            for (const QString &statement : schemaStatements()) {
                if (ok && !run.exec(statement))
                    ok = fail(error, run.error);
            }
            ok = ok ? db.commit() : (db.rollback(), false);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool createDemoDirectory(const QString &directory, QString *error) {
    QDir dir(directory);
    if (!dir.mkpath(QStringLiteral(".")))
        return fail(error, QStringLiteral("No se pudo crear el directorio %1.").arg(directory));
    const QString data = dir.absolutePath() + u'/';
    const QString database = data + QStringLiteral("Base de Datos.dba");
    if (!createDocumentDatabase(database, error))
        return false;

    const QString name = QStringLiteral("demo-") + database;
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(database);
        DemoDocumentsRun run{db, {}};
        ok = db.open() && db.transaction();
        for (const char *row : kDemoRows) {
            if (ok && !run.exec(QString::fromUtf8(row)))
                ok = fail(error, run.error);
        }
        ok = ok ? db.commit() : (db.rollback(), false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok)
        return false;

    QFile config(data + QStringLiteral("ImpresorFiscal.inf"));
    if (!config.open(QIODevice::WriteOnly))
        return fail(error, config.errorString());
    config.write(Ansi::encode(QStringLiteral("Datos:%1\r\nImpresora:BEMATECH\r\nPuerto:COM1\r\n"
                                             "80Columnas:-1\r\nSerial:BE0908ZZ12345\r\nCaja:1\r\n")
                                  .arg(data)));
    QFile marker(data + QStringLiteral("ActualizadorAlmacoraTerminal.inf"));
    if (!marker.open(QIODevice::WriteOnly))
        return fail(error, marker.errorString());
    return true;
}
