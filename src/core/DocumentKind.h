#pragma once

#include <QString>
#include <QtGlobal>

namespace robot {

// The two kinds of fiscal document the station prints.
enum class DocumentKind { Factura, NotaCredito };

// "factura 12", "nota de crédito 7": how messages and the log name a document.
inline QString describeDocument(DocumentKind kind, qint64 codigo) {
    return (kind == DocumentKind::Factura ? QStringLiteral("factura %1")
                                          : QStringLiteral("nota de crédito %1"))
        .arg(codigo);
}

} // namespace robot
