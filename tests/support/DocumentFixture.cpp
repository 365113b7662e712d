#include "support/DocumentFixture.h"

#include "db/DocumentSchema.h"
#include "demo/DemoData.h"

#include <QSqlError>
#include <QSqlQuery>

namespace robot {

DocumentFixture::DocumentFixture(const QString &serverAddress) : server(serverAddress) {
    if (server.isEmpty())
        if (const Result<void> created = createDocumentDatabase(databasePath()); !created.ok())
            qFatal("%s", qPrintable(created.error()));
    if (const Result<void> opened = connection.open(databasePath(), QStringLiteral("fixture"));
        !opened.ok())
        qFatal("%s", qPrintable(opened.error()));
}

void DocumentFixture::exec(const QString &sql) {
    value(sql);
}

QVariant DocumentFixture::value(const QString &sql) {
    QSqlQuery query(connection.database());
    if (!query.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    return query.next() ? query.value(0) : QVariant();
}

// `overrides` is an SQL SET list for the rows `where` selects.
void DocumentFixture::applyOverrides(const QString &table, const QString &where,
                                     const QString &overrides) {
    if (!overrides.isEmpty())
        exec(QStringLiteral("UPDATE \"%1\" SET %2 WHERE %3").arg(table, overrides, where));
}

void DocumentFixture::addInvoice(qint64 codigo, int machine, const QString &overrides) {
    exec(QStringLiteral("INSERT INTO \"Ventas\" (\"Código\", \"Fecha\", \"NombreCliente\", "
                        "\"RIF\", \"Dirección\", \"PorcentImpuesto\", \"PlantillaAuxiliar\", "
                        "\"MedioPago\", \"Descuento01\", \"Descuento02\", \"Descuento03\", "
                        "\"Imprimir\", \"MáquinaFiscal\") VALUES (%1, '2026-12-06', 'Cliente "
                        "%1', 'V%1', 'Calle %1', 0.12, 0, 0, 0, 0, 0, -1, %2)")
             .arg(codigo)
             .arg(machine));
    applyOverrides(QStringLiteral("Ventas"), QStringLiteral("\"Código\" = %1").arg(codigo),
                   overrides);
}

void DocumentFixture::addLine(const QString &table, const QString &owner, qint64 document,
                              int linea, double cantidad, double precio, const QString &nombre,
                              const QString &overrides) {
    exec(QStringLiteral("INSERT INTO \"%1\" (\"%2\", \"Línea\", \"NoMostrarEnFactura\", "
                        "\"Cantidad\", \"CantDec\", \"Precio\", \"ExcentoImpuesto\", "
                        "\"Nombre\") VALUES (%3, %4, 0, %5, %5, %6, 0, '%7')")
             .arg(table, owner)
             .arg(document)
             .arg(linea)
             .arg(cantidad, 0, 'g', 17)
             .arg(precio, 0, 'g', 17)
             .arg(nombre));
    applyOverrides(
        table, QStringLiteral("\"%1\" = %2 AND \"Línea\" = %3").arg(owner).arg(document).arg(linea),
        overrides);
}

void DocumentFixture::addInvoiceLine(qint64 venta, int linea, double cantidad, double precio,
                                     const QString &nombre, const QString &overrides) {
    addLine(QStringLiteral("VentasDetalles"), QStringLiteral("Venta"), venta, linea, cantidad,
            precio, nombre, overrides);
}

void DocumentFixture::addInvoiceWithLine(qint64 codigo, int machine) {
    addInvoice(codigo, machine);
    addInvoiceLine(codigo, 1, 1, 10);
}

void DocumentFixture::addCreditNote(int codigo, int machine, const QString &overrides) {
    exec(QStringLiteral("INSERT INTO \"NotaCréditoVenta\" (\"Código\", \"Fecha\", "
                        "\"NombreCliente\", \"RIF\", \"Dirección\", \"Factura\", "
                        "\"PorcentImpuesto\", \"Monto\", \"MontoExcento\", "
                        "\"DescuentoFactura\", \"Imprimir\", \"MáquinaFiscal\") VALUES (%1, "
                        "'2026-12-06', 'Cliente %1', 'V%1', 'Calle %1', '000010', 0.12, 100, 0, 0, "
                        "-1, %2)")
             .arg(codigo)
             .arg(machine));
    applyOverrides(QStringLiteral("NotaCréditoVenta"),
                   QStringLiteral("\"Código\" = %1").arg(codigo), overrides);
}

void DocumentFixture::addCreditNoteLine(int nota, int linea, double cantidad, double precio,
                                        const QString &nombre, const QString &overrides) {
    addLine(QStringLiteral("NotaCréditoVentaDetalles"), QStringLiteral("NotaCredVent"), nota, linea,
            cantidad, precio, nombre, overrides);
}

void DocumentFixture::setConfiguration(const QString &values) {
    exec(QStringLiteral("DELETE FROM \"Configuración\""));
    exec(QStringLiteral("INSERT INTO \"Configuración\" VALUES (%1)").arg(values));
}

void DocumentFixture::writeStationFiles(int caja) {
    if (const Result<void> written = robot::writeStationFiles(directory(), caja); !written.ok())
        qFatal("%s", qPrintable(written.error()));
}

} // namespace robot
