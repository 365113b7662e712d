#include "app/Preparation.h"

#include "documents/DocumentRecords.h"
#include "documents/TextFormat.h"

#include <QStringList>

QString designTitle() {
    return QStringLiteral("Veltrano - Robot de Impresión de Facturas Fiscales - Bematech");
}

QString titleWithRif(const QString &currentTitle, const QString &rifDecorado) {
    return currentTitle + QStringLiteral(" ( RIF: ") + rifDecorado + QStringLiteral(" )");
}

Preparation prepareFromConfiguration(const QSqlRecord &record, const QString &readError) {
    Preparation prep;
    const QString rif = QStringLiteral("RIFCompañía");
    const QString vc = QStringLiteral("VerCantidad");
    const QString vcd = QStringLiteral("VerCantidadDecimal");
    const QString usar = QStringLiteral("UsarImpresiónFacturaInt");

    QStringList problems;
    if (record.isEmpty()) {
        problems
            << (readError.isEmpty()
                    ? QStringLiteral("no hay ningún registro en la tabla Configuración")
                    : QStringLiteral("no se pudo leer la tabla Configuración (%1)").arg(readError));
    } else {
        for (const QString &field : {rif, vc, vcd, usar}) {
            if (record.indexOf(field) < 0)
                problems
                    << QStringLiteral("falta el campo %1 en la tabla Configuración").arg(field);
        }
        if (record.indexOf(rif) >= 0 && record.isNull(rif))
            problems << QStringLiteral("el campo RIFCompañía está vacío");
    }
    if (!problems.isEmpty()) {
        prep.missing = QStringLiteral("La configuración de la compañía está incompleta: %1. El "
                                      "robot queda detenido y no imprimirá documentos; corrija "
                                      "la base de datos y vuelva a iniciar el programa.")
                           .arg(problems.join(QStringLiteral("; ")));
        return prep;
    }

    prep.rifDecorado = Decoro_RIF(record.value(rif).toString());
    const auto verCantidad = yesNo(record, vc);
    const auto verDecimal = yesNo(record, vcd);
    if (verCantidad && verDecimal) {
        if (*verCantidad && !*verDecimal)
            prep.ModoCantidad = 1;
        else if (!*verCantidad && *verDecimal)
            prep.ModoCantidad = 2;
        else if (*verCantidad && *verDecimal)
            prep.ModoCantidad = 3;
    }
    prep.UsarImpresionFacturaInt = yesNo(record, usar).value_or(false);
    prep.complete = true;
    return prep;
}
