#include "demo/DemoData.h"

#include "core/Ansi.h"
#include "core/StationFiles.h"
#include "db/DatabaseSettings.h"
#include "db/DocumentDatabase.h"
#include "db/DocumentSchema.h"
#include "db/ServerAddress.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace robot {

namespace {

const char *const kDemoRows[] = {
    "INSERT INTO \"Configuración\" VALUES ('J123456789', -1, 0, 0)",
    // A plain cash sale with an exempt line.
    "INSERT INTO \"Ventas\" (\"Código\", \"Fecha\", \"NombreCliente\", \"RIF\", \"Dirección\", "
    "\"PorcentImpuesto\", \"PlantillaAuxiliar\", \"MedioPago\", \"Descuento01\", "
    "\"Descuento02\", \"Descuento03\", \"Imprimir\", \"MáquinaFiscal\") VALUES (101, '2026-12-06', "
    "'José Peña', 'V123456789', 'Av. Bolívar 12, "
    "Caracas', 0.12, 0, 0, 0, 0, 0, -1, 1)",
    "INSERT INTO \"VentasDetalles\" VALUES (101, 1, 0, 2, 2, 12.5, 0, 'Café molido 500 g', NULL)",
    "INSERT INTO \"VentasDetalles\" VALUES (101, 2, 0, 1, 1, 3.75, -1, 'Azúcar refinada 1 kg', "
    "NULL)",
    // A long customer name, a discount, payment by card and no address.
    "INSERT INTO \"Ventas\" (\"Código\", \"Fecha\", \"NombreCliente\", \"RIF\", \"Dirección\", "
    "\"PorcentImpuesto\", \"PlantillaAuxiliar\", \"MedioPago\", \"Descuento01\", "
    "\"Descuento02\", \"Descuento03\", \"Imprimir\", \"MáquinaFiscal\") VALUES (102, '2026-12-06', "
    "'Distribuidora Ñandú de Alimentos y Bebidas "
    "Sucursal Este', 'J309876543', NULL, 0.12, -1, 1, 5, 0, 0, -1, 1)",
    "INSERT INTO \"VentasDetalles\" VALUES (102, 1, 0, 3, 3, 45, 0, 'Aceite de oliva 1 l', "
    "'Aceite de oliva extra virgen')",
    "INSERT INTO \"VentasDetalles\" VALUES (102, 2, 0, 1, 1, 120, 0, 'Jamón serrano', NULL)",
    "INSERT INTO \"VentasDetalles\" VALUES (102, 3, -1, 1, 1, 0, 0, 'Bolsa (no se muestra)', "
    "NULL)",
    // A sale of another fiscal machine: never printed here.
    "INSERT INTO \"Ventas\" (\"Código\", \"Fecha\", \"NombreCliente\", \"RIF\", \"Dirección\", "
    "\"PorcentImpuesto\", \"PlantillaAuxiliar\", \"MedioPago\", \"Descuento01\", "
    "\"Descuento02\", \"Descuento03\", \"Imprimir\", \"MáquinaFiscal\") VALUES (103, '2026-12-06', "
    "'Cliente de la caja 2', 'V111222333', "
    "'Maracay', 0.12, 0, 0, 0, 0, 0, -1, 2)",
    "INSERT INTO \"VentasDetalles\" VALUES (103, 1, 0, 1, 1, 10, 0, 'Pan de jamón', NULL)",
    // A credit note with lines and one without (printed from its amounts).
    "INSERT INTO \"NotaCréditoVenta\" (\"Código\", \"Fecha\", \"NombreCliente\", \"RIF\", "
    "\"Dirección\", \"Factura\", \"PorcentImpuesto\", \"Monto\", \"MontoExcento\", "
    "\"DescuentoFactura\", \"Imprimir\", \"MáquinaFiscal\") VALUES "
    "(201, '2026-12-06', 'María Núñez', 'V987654321', 'Valencia', '000087', 0.12, 25, 0, NULL, "
    "-1, 1)",
    "INSERT INTO \"NotaCréditoVentaDetalles\" VALUES (201, 1, 0, 1, 1, 25, 0, 'Devolución café')",
    "INSERT INTO \"NotaCréditoVenta\" (\"Código\", \"Fecha\", \"NombreCliente\", \"RIF\", "
    "\"Dirección\", \"Factura\", \"PorcentImpuesto\", \"Monto\", \"MontoExcento\", "
    "\"DescuentoFactura\", \"Imprimir\", \"MáquinaFiscal\") VALUES "
    "(202, '2026-12-06', 'Óscar Ibáñez', 'V555666777', NULL, '000090', 0.12, 100, 50, 0, -1, "
    "1)",
};

QStringList demoRows() {
    QStringList rows;
    for (const char *row : kDemoRows)
        rows << QString::fromUtf8(row);
    return rows;
}

Result<QString> demoDataDirectory(const QString &directory) {
    QDir dir(directory);
    if (!dir.mkpath(QStringLiteral(".")))
        return Failure{QStringLiteral("No se pudo crear el directorio %1.").arg(directory)};
    return dir.absolutePath() + u'/';
}

Result<void> writeMarker(const QString &data) {
    QFile marker(data + QStringLiteral("ActualizadorAlmacoraTerminal.inf"));
    if (!marker.open(QIODevice::WriteOnly))
        return Failure{marker.errorString()};
    return {};
}

} // namespace

Result<void> writeStationFiles(const QString &data, int caja) {
    QFile config(data + StationFiles::configurationName());
    if (!config.open(QIODevice::WriteOnly))
        return Failure{config.errorString()};
    config.write(Ansi::encode(QStringLiteral("Datos:%1\r\nImpresora:BEMATECH\r\nPuerto:COM1\r\n"
                                             "80Columnas:-1\r\nSerial:BE0908ZZ12345\r\nCaja:%2\r\n")
                                  .arg(data, QString::number(caja))));
    return writeMarker(data);
}

namespace {

// The data directory for `directory` with a new document database in it, opened as `db`;
// why not, when either cannot be made.
Result<QString> withNewDatabase(const QString &directory, DocumentConnection &db,
                                const QString &connection) {
    const Result<QString> data = demoDataDirectory(directory);
    if (!data.ok())
        return data;
    const QString database = data.value() + QStringLiteral("Base de Datos.dba");
    if (const Result<void> created = createDocumentDatabase(database); !created.ok())
        return created.why();
    if (const Result<void> opened = db.open(database, connection); !opened.ok())
        return opened.why();
    return data;
}

} // namespace

Result<void> createDemoDirectory(const QString &directory) {
    DocumentConnection db;
    const Result<QString> data = withNewDatabase(directory, db, QStringLiteral("demo"));
    if (!data.ok())
        return data.why();
    if (const Result<void> filled = runInTransaction(db.database(), demoRows()); !filled.ok())
        return filled;
    return writeStationFiles(data.value(), 1);
}

Result<void> createEmptyDataDirectory(const QString &directory, const QString &rif) {
    DocumentConnection db;
    const Result<QString> data = withNewDatabase(directory, db, QStringLiteral("vacia"));
    if (!data.ok())
        return data.why();
    {
        QSqlQuery company(db.database());
        company.prepare(QStringLiteral("INSERT INTO \"Configuración\" VALUES (?, -1, 0, 0)"));
        company.addBindValue(rif);
        if (!company.exec())
            return Failure{company.lastError().text()};
    }
    return writeMarker(data.value());
}

Result<void> createServerDemo(const QString &directory, const QString &connectionString) {
    const Result<QMap<QString, QString>> parsed = parseConnectionString(connectionString);
    if (!parsed.ok())
        return Failure{
            QStringLiteral("La cadena de conexión no es válida: %1.").arg(parsed.error())};
    const QMap<QString, QString> &values = parsed.value();
    static const QStringList known = {QStringLiteral("host"), QStringLiteral("port"),
                                      QStringLiteral("dbname"), QStringLiteral("user"),
                                      QStringLiteral("password")};
    for (const QString &key : values.keys()) {
        if (!known.contains(key))
            // Not named: in a mistyped string it may be a piece of the password.
            return Failure{QStringLiteral("La cadena de conexión tiene una opción que la "
                                          "estación no guarda: solo %1.")
                               .arg(known.join(QStringLiteral(", ")))};
    }
    const ServerAddress address{
        values.value(QStringLiteral("host")), values.value(QStringLiteral("port")),
        values.value(QStringLiteral("dbname")), values.value(QStringLiteral("user"))};
    const QString password = values.value(QStringLiteral("password"));
    rememberPassword(address.text(), password);
    const Result<QString> data = demoDataDirectory(directory);
    if (!data.ok())
        return data.why();
    if (const Result<void> created = createServerSchema(address.text()); !created.ok())
        return created;
    DocumentConnection db;
    if (const Result<void> opened = db.open(address.text(), QStringLiteral("demo")); !opened.ok())
        return opened;
    if (const Result<void> filled = runInTransaction(db.database(), demoRows()); !filled.ok())
        return filled;
    if (const Result<void> written = writeStationFiles(data.value(), 1); !written.ok())
        return written;
    return writeServerSettings(data.value(), address, password);
}

} // namespace robot
