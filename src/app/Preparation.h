#pragma once

#include "db/Row.h"

#include <QString>
#include <QtGlobal>

namespace robot {

// What the first activation derives from the company configuration record.
struct Preparation {
    bool complete = false;
    bool waiting = false;                 // the database could not be read yet: tried again later
    QString missing;                      // Spanish text naming what is missing when not complete
    QString rifDecorado;                  // Decoro_RIF of RIFCompañía
    qint16 ModoCantidad = 0;              // from VerCantidad and VerCantidadDecimal
    bool UsarImpresionFacturaInt = false; // read and held; nothing uses it
};

// Reads the configuration record (the first record of Data3); `found` is false when the table
// holds no record.
Preparation prepareFromConfiguration(const Row &record, bool found);

// "Veltrano - Robot de Impresión de Facturas Fiscales - Bematech"
QString designTitle();
// The design title followed by " ( RIF: " + rif + " )".
QString titleWithRif(const QString &currentTitle, const QString &rifDecorado);

} // namespace robot
