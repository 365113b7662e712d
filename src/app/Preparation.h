#pragma once

#include <QSqlRecord>
#include <QString>
#include <QtGlobal>

// What the first activation derives from the company configuration record.
struct Preparation {
    bool complete = false;
    QString missing;                      // Spanish text naming what is missing when not complete
    QString rifDecorado;                  // Decoro_RIF of RIFCompañía
    qint16 ModoCantidad = 0;              // from VerCantidad and VerCantidadDecimal
    bool UsarImpresionFacturaInt = false; // read and held; nothing uses it
};

// Reads the configuration record (the first record of Data3). An absent record is passed as
// an empty QSqlRecord together with the reason it could not be read.
Preparation prepareFromConfiguration(const QSqlRecord &record, const QString &readError = {});

// "Veltrano - Robot de Impresión de Facturas Fiscales - Bematech"
QString designTitle();
// The design title followed by " ( RIF: " + rif + " )".
QString titleWithRif(const QString &currentTitle, const QString &rifDecorado);
