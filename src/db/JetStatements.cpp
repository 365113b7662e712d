#include "db/Statements.h"

namespace robot {

namespace {

// Yes/no fields are compared with 0 rather than with True: the same on Jet's -1/0 (and on a
// NULL, which fails both), and the same text runs on SQLite, whose TRUE is 1, so the tests run
// these statements through the SQLite ODBC driver. Only the display text's "+" has no common
// form ("||" in SQLite).
class JetStatements final : public Statements {
public:
    QString pendingInvoices(qint32 caja) const override {
        // "Control Is Null": a comparison with Null selects nothing.
        return QStringLiteral("Select *, Vista1 + ' ' + RIF as VistaEspecial from [Consulta "
                              "Ventas] Where Anulada=0 and Impresa=0 and Imprimir<>0 and Control "
                              "Is Null and Local=0 and MáquinaFiscal=") +
               QString::number(caja) + QStringLiteral(" order by Código;");
    }
    QString pendingCreditNotes(qint32 caja) const override {
        return QStringLiteral("Select *, Vista4 + ' de ' + NombreCLiente + ' ' + RIF as "
                              "VistaEspecial from [Consulta NotaCréditoVenta] Where Anulada=0 "
                              "and Imprimir<>0 and Control Is Null and Impresa=0 and "
                              "MáquinaFiscal=") +
               QString::number(caja) + QStringLiteral(" order by Código;");
    }
    QString configuration() const override {
        return QStringLiteral("Select * from [Configuración];");
    }
    QString invoiceHeader(qint64 codigo) const override {
        return QStringLiteral("Select * from [Consulta Ventas] Where Código=") +
               QString::number(codigo);
    }
    QString invoiceLines(qint64 codigo) const override {
        return QStringLiteral("Select * from [Consulta VentasDetalles] Where "
                              "NoMostrarEnFactura=0 and Venta=") +
               QString::number(codigo);
    }
    QString invoiceUpdate() const override {
        return QStringLiteral("Update [Consulta Ventas Edición] Set Factura=?, Control=?, "
                              "Impresa=-1, Imprimir=0, NúmeroZ=? Where Código=?");
    }
    QString creditNoteHeader(qint64 codigo) const override {
        return QStringLiteral("Select * from [Consulta NotaCréditoVenta] Where Código=") +
               QString::number(codigo);
    }
    QString creditNoteLines(qint64 codigo) const override {
        return QStringLiteral("Select * from [Consulta NotaCréditoVenta Detalles] Where "
                              "NotaCredVent=") +
               QString::number(codigo) + QStringLiteral(" and NoMostrarEnFactura=0");
    }
    QString creditNoteUpdate() const override {
        return QStringLiteral("Update [NotaCréditoVenta] Set Número=?, Control=?, Impresa=-1, "
                              "Imprimir=0, NúmeroZ=? Where Código=?;");
    }
    QString invoiceWriteCheck() const override {
        return QStringLiteral("Update [Consulta Ventas Edición] Set Control=Control Where "
                              "Código=?");
    }
    QString creditNoteWriteCheck() const override {
        return QStringLiteral("Update [NotaCréditoVenta] Set Control=Control Where Código=?;");
    }
    QString anyDocumentOfCaja(qint32 caja) const override {
        // Without Top 1 (SQLite has none): only the first row is ever read.
        return QStringLiteral("Select Código from Ventas Where MáquinaFiscal=%1 Union All Select "
                              "Código from NotaCréditoVenta Where MáquinaFiscal=%1;")
            .arg(caja);
    }
    QString markedRecords(qint32 caja) const override {
        const QString where =
            QStringLiteral(" Where Control Is Not Null And MáquinaFiscal=") + QString::number(caja);
        return QStringLiteral("Select 0 As Tipo, Código, Fecha, Control From Ventas") + where +
               QStringLiteral(" Union All Select 1, Código, Fecha, Control From "
                              "[NotaCréditoVenta]") +
               where;
    }
};

} // namespace

const Statements &jetStatements() {
    static const JetStatements statements;
    return statements;
}

} // namespace robot
