#include "support/DocumentFixture.h"

#include "db/DocumentSchema.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

DocumentFixture::DocumentFixture() {
    QString error;
    if (!createDocumentDatabase(databasePath(), &error))
        qFatal("%s", qPrintable(error));
    connectionName = QStringLiteral("fixture-") + dir.path();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(databasePath());
    if (!db.open())
        qFatal("%s", qPrintable(db.lastError().text()));
}

DocumentFixture::~DocumentFixture() {
    QSqlDatabase::database(connectionName).close();
    QSqlDatabase::removeDatabase(connectionName);
}

void DocumentFixture::exec(const QString &sql) {
    QSqlQuery query(QSqlDatabase::database(connectionName));
    if (!query.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

QVariant DocumentFixture::value(const QString &sql) {
    QSqlQuery query(QSqlDatabase::database(connectionName));
    if (!query.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    return query.next() ? query.value(0) : QVariant();
}

void DocumentFixture::addInvoice(int codigo, int machine, const QString &overrides) {
    exec(QStringLiteral("INSERT INTO Ventas (Código, Fecha, NombreCliente, RIF, Dirección, "
                        "PorcentImpuesto, PlantillaAuxiliar, MedioPago, Descuento01, "
                        "Descuento02, Descuento03, Imprimir, MáquinaFiscal) VALUES (%1, "
                        "'2026-12-06', 'Cliente %1', 'V%1', 'Calle %1', 0.12, 0, 0, 0, 0, 0, -1, "
                        "%2)")
             .arg(codigo)
             .arg(machine));
    if (!overrides.isEmpty())
        exec(QStringLiteral("UPDATE Ventas SET %1 WHERE Código = %2").arg(overrides).arg(codigo));
}

void DocumentFixture::addInvoiceLine(int venta, int linea, double cantidad, double precio,
                                     const QString &nombre, const QString &overrides) {
    exec(QStringLiteral("INSERT INTO VentasDetalles (Venta, Línea, NoMostrarEnFactura, Cantidad, "
                        "CantDec, Precio, ExcentoImpuesto, Nombre) VALUES (%1, %2, 0, %3, %3, "
                        "%4, 0, '%5')")
             .arg(venta)
             .arg(linea)
             .arg(cantidad, 0, 'g', 17)
             .arg(precio, 0, 'g', 17)
             .arg(nombre));
    if (!overrides.isEmpty())
        exec(QStringLiteral("UPDATE VentasDetalles SET %1 WHERE Venta = %2 AND Línea = %3")
                 .arg(overrides)
                 .arg(venta)
                 .arg(linea));
}

void DocumentFixture::addCreditNote(int codigo, int machine, const QString &overrides) {
    exec(QStringLiteral("INSERT INTO NotaCréditoVenta (Código, Fecha, NombreCliente, RIF, "
                        "Dirección, Factura, PorcentImpuesto, Monto, MontoExcento, "
                        "DescuentoFactura, Imprimir, MáquinaFiscal) VALUES (%1, '2026-12-06', "
                        "'Cliente %1', 'V%1', 'Calle %1', '000010', 0.12, 100, 0, 0, -1, %2)")
             .arg(codigo)
             .arg(machine));
    if (!overrides.isEmpty())
        exec(QStringLiteral("UPDATE NotaCréditoVenta SET %1 WHERE Código = %2")
                 .arg(overrides)
                 .arg(codigo));
}

void DocumentFixture::addCreditNoteLine(int nota, int linea, double cantidad, double precio,
                                        const QString &nombre, const QString &overrides) {
    exec(QStringLiteral("INSERT INTO NotaCréditoVentaDetalles (NotaCredVent, Línea, "
                        "NoMostrarEnFactura, Cantidad, CantDec, Precio, ExcentoImpuesto, Nombre) "
                        "VALUES (%1, %2, 0, %3, %3, %4, 0, '%5')")
             .arg(nota)
             .arg(linea)
             .arg(cantidad, 0, 'g', 17)
             .arg(precio, 0, 'g', 17)
             .arg(nombre));
    if (!overrides.isEmpty())
        exec(QStringLiteral("UPDATE NotaCréditoVentaDetalles SET %1 WHERE NotaCredVent = %2 AND "
                            "Línea = %3")
                 .arg(overrides)
                 .arg(nota)
                 .arg(linea));
}

void DocumentFixture::setConfiguration(const QString &values) {
    exec(QStringLiteral("DELETE FROM Configuración"));
    exec(QStringLiteral("INSERT INTO Configuración VALUES (%1)").arg(values));
}

void DocumentFixture::writeStationFiles(int caja) {
    QFile config(directory() + QStringLiteral("ImpresorFiscal.inf"));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral("Datos:%1\r\nImpresora:BEMATECH\r\nPuerto:COM1\r\n80Columnas:-1\r\n"
                                "Serial:X\r\nCaja:%2\r\n")
                     .arg(directory())
                     .arg(caja)
                     .toLatin1());
    QFile marker(directory() + QStringLiteral("ActualizadorAlmacoraTerminal.inf"));
    marker.open(QIODevice::WriteOnly);
}
