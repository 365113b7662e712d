#pragma once

#include <QString>
#include <functional>

namespace robot {

class FiscalPrinter;
class OperatorMessages;
class PrintJournal;

// What one operator command got from the printer library.
struct CommandOutcome {
    bool called = false;   // false: the library could not be used, nothing reached the printer
    short code = 0;        // the library's return code when called
    bool accepted = false; // the return analysis found the printer did what it was asked
    // A return code of 1 alone is not enough: the printer may still answer "not executed"
    // (ACK 21) or report an error in its status.
    bool succeeded() const { return called && accepted; }
};

// The operator's direct printer commands: the Z and X reports, the cash drawer and the coupon
// cancellation. Each runs between habilitaControles(false) and habilitaControles(true) so the
// robot cannot start a document meanwhile; the window passes its HabilitaControles, the
// command line, which has no robot running, passes nothing.
class FiscalCommands {
public:
    using HabilitaControles = std::function<void(bool)>;

    FiscalCommands(FiscalPrinter &printer, OperatorMessages &messages,
                   HabilitaControles habilitaControles = {});

    // "Cierre Z" (Command6): ReduccionZ with two empty texts, analysed as
    // "Reducción Z".
    CommandOutcome CierreZ();
    // "Cierre X" (Command21): LecturaX, analysed as "Lectura X".
    CommandOutcome CierreX();
    // "Abrir G" (Command22): AccionaGaveta; a refusal is analysed as "Abrir G".
    CommandOutcome AbrirGaveta();
    // "Anula Cupon" (Command1): AnulaCupon; "Listo." once the controls are back,
    // or, when refused, the printer's answer analysed as "Anula Cupon".
    CommandOutcome AnulaCupon();

    // A cancellation is recorded in this journal before the printer is asked, so the document
    // it cancels may be printed again (see PrintJournal::cancelOpen).
    void recordCancellationsIn(PrintJournal *printJournal) { journal = printJournal; }

    static QString tituloReduccionZ() { return QStringLiteral("Reducción Z"); }
    static QString tituloLecturaX() { return QStringLiteral("Lectura X"); }
    static QString tituloGaveta() { return QStringLiteral("Abrir G"); }
    static QString tituloAnulaCupon() { return QStringLiteral("Anula Cupon"); }

private:
    enum class Analysis { Always, OnRefusal };
    CommandOutcome run(const QString &titulo, Analysis analysis,
                       const std::function<short()> &call);

    FiscalPrinter &printer;
    OperatorMessages &messages;
    HabilitaControles habilitaControles;
    PrintJournal *journal = nullptr;
};

} // namespace robot
