#pragma once

#include <QString>

class QTextStream;

// The operator's decision on a document the print journal holds back because the printer's
// counters could not tell whether it was printed: `document` is "factura:N" or "nota:N".
// Returns 0 when the document is released for printing, 4 when nothing was held back for it,
// 1 when `document` cannot be read.
int allowReprint(const QString &directory, const QString &document, QTextStream &out);
