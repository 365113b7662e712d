#pragma once

#include "printer/PrinterReply.h"
#include "printer/RawCall.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace robot {

// The Qt parameter list of each shape, and how its arguments reach the one virtual call.
#define FISCAL_QT_PARAMS_None ()
#define FISCAL_QT_PARAMS_Text1 (const QString &a)
#define FISCAL_QT_PARAMS_Text2 (const QString &a, const QString &b)
#define FISCAL_QT_PARAMS_Text3 (const QString &a, const QString &b, const QString &c)
#define FISCAL_QT_PARAMS_Text10 (const std::array<QString, 10> &textos)
#define FISCAL_QT_PARAMS_Item                                                                      \
    (const QString &codigo, const QString &descripcion, const QString &alicuota,                   \
     const QString &tipoCantidad, const QString &cantidad, short decimales,                        \
     const QString &valorUnitario, const QString &tipoDescuento, const QString &valorDescuento)
#define FISCAL_QT_PARAMS_Buffer (QString & buffer)
#define FISCAL_QT_PARAMS_Status ()

#define FISCAL_QT_CALL_None(e) callTexts(e, {})
#define FISCAL_QT_CALL_Text1(e) callTexts(e, {a})
#define FISCAL_QT_CALL_Text2(e) callTexts(e, {a, b})
#define FISCAL_QT_CALL_Text3(e) callTexts(e, {a, b, c})
#define FISCAL_QT_CALL_Text10(e) callTexts(e, QStringList(textos.begin(), textos.end()))
#define FISCAL_QT_CALL_Item(e)                                                                     \
    callTexts(e,                                                                                   \
              {codigo, descripcion, alicuota, tipoCantidad, cantidad, valorUnitario,               \
               tipoDescuento, valorDescuento},                                                     \
              decimales)
#define FISCAL_QT_CALL_Buffer(e) callBuffer(e, buffer)
#define FISCAL_QT_CALL_Status(e) callStatus(e)

// The operations of the fiscal printer library that the station uses, one method per entry
// point with the entry point's name. Texts go to the library in Windows-1252. A buffer argument
// comes in as the caller's string of N spaces and comes back as the library's answer, cut at
// the first NUL. Every call returns what it came to (PrinterReply); the status read returns the
// status words in it. Implementations only make the raw call: in process, through a bridge
// program, or recording it.
class FiscalPrinter {
public:
    virtual ~FiscalPrinter() = default;

    // Makes the call; texts and buffer are bytes. A call that cannot be made says so in its
    // reply's fault.
    virtual PrinterReply call(robot::fiscal::RawCall &call) = 0;

#define FISCAL_QT_METHOD(name, shape)                                                              \
    PrinterReply name FISCAL_QT_PARAMS_##shape {                                                   \
        return FISCAL_QT_CALL_##shape(robot::fiscal::EntryPoint::name);                            \
    }
    FISCAL_ENTRY_POINTS(FISCAL_QT_METHOD)
#undef FISCAL_QT_METHOD

    // Any query with an answer buffer, chosen by entry point (the information buttons).
    PrinterReply callBuffer(robot::fiscal::EntryPoint e, QString &buffer);

    // Told the status words of every status read the printer answered: the station shows its
    // paper from the reads it makes anyway, without asking the printer anything more.
    std::function<void(const PrinterStatus &)> statusRead;

private:
    PrinterReply callTexts(robot::fiscal::EntryPoint e, const QStringList &texts,
                           short decimals = 0);
    PrinterReply callStatus(robot::fiscal::EntryPoint e);
};

} // namespace robot
