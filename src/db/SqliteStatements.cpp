#include "db/Statements.h"

namespace robot {

namespace {

// Yes/no fields hold -1 or 0 (1 for true is accepted too) and may be NULL. "X<>true" becomes
// "X = 0" and "X=true" becomes "X <> 0": in both a NULL fails the comparison, as it does in
// the back-office engine. Lines come in their entry order.
class SqliteStatements final : public Statements {
public:
    QString pendingInvoices(qint32 caja) const override {
        return QStringLiteral("SELECT *, Vista1 || ' ' || RIF AS VistaEspecial FROM [Consulta "
                              "Ventas] WHERE Anulada = 0 AND Impresa = 0 AND Imprimir <> 0 AND "
                              "Control IS NULL AND Local = 0 AND MáquinaFiscal = ") +
               QString::number(caja) + QStringLiteral(" ORDER BY Código;");
    }
    QString pendingCreditNotes(qint32 caja) const override {
        return QStringLiteral("SELECT *, Vista4 || ' de ' || NombreCLiente || ' ' || RIF AS "
                              "VistaEspecial FROM [Consulta NotaCréditoVenta] WHERE Anulada = 0 "
                              "AND Imprimir <> 0 AND Control IS NULL AND Impresa = 0 AND "
                              "MáquinaFiscal = ") +
               QString::number(caja) + QStringLiteral(" ORDER BY Código;");
    }
    QString configuration() const override {
        return QStringLiteral("SELECT * FROM [Configuración];");
    }
    QString invoiceHeader(qint64 codigo) const override {
        return QStringLiteral("SELECT * FROM [Consulta Ventas] WHERE Código = ") +
               QString::number(codigo);
    }
    QString invoiceLines(qint64 codigo) const override {
        return QStringLiteral("SELECT * FROM [Consulta VentasDetalles] WHERE NoMostrarEnFactura "
                              "= 0 AND Venta = ") +
               QString::number(codigo) + QStringLiteral(" ORDER BY Línea");
    }
    QString invoiceUpdate() const override {
        return QStringLiteral("UPDATE [Consulta Ventas Edición] SET Factura = ?, Control = ?, "
                              "Impresa = -1, Imprimir = 0, NúmeroZ = ? WHERE Código = ?");
    }
    QString creditNoteHeader(qint64 codigo) const override {
        return QStringLiteral("SELECT * FROM [Consulta NotaCréditoVenta] WHERE Código = ") +
               QString::number(codigo);
    }
    QString creditNoteLines(qint64 codigo) const override {
        return QStringLiteral("SELECT * FROM [Consulta NotaCréditoVenta Detalles] WHERE "
                              "NotaCredVent = ") +
               QString::number(codigo) +
               QStringLiteral(" AND NoMostrarEnFactura = 0 ORDER BY Línea");
    }
    QString creditNoteUpdate() const override {
        return QStringLiteral("UPDATE [NotaCréditoVenta] SET Número = ?, Control = ?, Impresa = "
                              "-1, Imprimir = 0, NúmeroZ = ? WHERE Código = ?;");
    }
    QString invoiceWriteCheck() const override {
        return QStringLiteral("UPDATE Ventas SET Control = Control WHERE Código = ?");
    }
    QString creditNoteWriteCheck() const override {
        return QStringLiteral("UPDATE [NotaCréditoVenta] SET Control = Control WHERE Código = ?");
    }
    QString anyDocumentOfCaja(qint32 caja) const override {
        return QStringLiteral(
                   "SELECT Código FROM Ventas WHERE MáquinaFiscal = %1 UNION ALL "
                   "SELECT Código FROM NotaCréditoVenta WHERE MáquinaFiscal = %1 LIMIT 1")
            .arg(caja);
    }
    QString markedRecords(qint32 caja) const override {
        const QString where = QStringLiteral(" WHERE Control IS NOT NULL AND MáquinaFiscal = ") +
                              QString::number(caja);
        return QStringLiteral("SELECT 0 AS Tipo, Código, Fecha, Control FROM Ventas") + where +
               QStringLiteral(" UNION ALL SELECT 1, Código, Fecha, Control FROM "
                              "[NotaCréditoVenta]") +
               where;
    }
};

} // namespace

const Statements &sqliteStatements() {
    static const SqliteStatements statements;
    return statements;
}

} // namespace robot
