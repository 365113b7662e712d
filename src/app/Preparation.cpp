#include "app/Preparation.h"

#include "documents/TextFormat.h"

#include <QStringList>

namespace robot {

QString designTitle() {
    return QStringLiteral("Veltrano - Robot de Impresión de Facturas Fiscales - Bematech");
}

QString titleWithRif(const QString &currentTitle, const QString &rifDecorado) {
    return currentTitle + QStringLiteral(" ( RIF: ") + rifDecorado + QStringLiteral(" )");
}

Preparation prepareFromConfiguration(const Row &record, bool found) {
    Preparation prep;
    const QString rif = QStringLiteral("RIFCompañía");
    const QString vc = QStringLiteral("VerCantidad");
    const QString vcd = QStringLiteral("VerCantidadDecimal");
    const QString usar = QStringLiteral("UsarImpresiónFacturaInt");

    QStringList problems;
    if (!found) {
        problems << QStringLiteral("no hay ningún registro en la tabla Configuración");
    } else {
        // Every field the first activation reads must hold a value: a NULL one would let the
        // robot print with a setting nobody chose.
        for (const QString &field : {rif, vc, vcd, usar}) {
            if (!record.has(field))
                problems
                    << QStringLiteral("falta el campo %1 en la tabla Configuración").arg(field);
            else if (record.isNull(field))
                problems << QStringLiteral("el campo %1 está vacío").arg(field);
        }
    }
    if (!problems.isEmpty()) {
        prep.missing = QStringLiteral("La configuración de la compañía está incompleta: %1. El "
                                      "robot queda detenido y no imprimirá documentos; corrija "
                                      "la base de datos y vuelva a iniciar el programa.")
                           .arg(problems.join(QStringLiteral("; ")));
        return prep;
    }

    prep.rifDecorado = Decoro_RIF(record.text(rif));
    const auto verCantidad = record.yesNo(vc);
    const auto verDecimal = record.yesNo(vcd);
    if (verCantidad && verDecimal) {
        if (*verCantidad && !*verDecimal)
            prep.ModoCantidad = 1;
        else if (!*verCantidad && *verDecimal)
            prep.ModoCantidad = 2;
        else if (*verCantidad && *verDecimal)
            prep.ModoCantidad = 3;
    }
    prep.UsarImpresionFacturaInt = record.yesNo(usar).value_or(false);
    prep.complete = true;
    return prep;
}

} // namespace robot
