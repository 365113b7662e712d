#pragma once

#include "core/OperatorMessages.h"
#include "printer/AnalizaRetorno.h"

#include <QString>

namespace robot {

// What the printing procedures tell the robot that runs them.
class RobotControl {
public:
    virtual ~RobotControl() = default;
    // A printing procedure that leaves the robot stopped says why, in a few words.
    virtual void noteStoppedAfterFailure(const QString &summary) = 0;
    // Documents the print journal still holds back, in a line for the operator (empty if none);
    // `holdsPrinting` while no new document may be started until the printer tells more.
    virtual void noteJournal(const QString &notice, bool holdsPrinting) = 0;
    // A document was taken for printing ("Factura 12"); the robot knows when its procedure ends.
    virtual void noteDocumentTaken(const QString &document) = 0;
    // Something the operator must read now, once: a box where there is a window. The printing
    // procedures show nothing themselves.
    virtual void tellOperator(const QString &text, MessageIcon icon, const QString &caption) = 0;
    // What a return analysis found to tell, if anything.
    void tell(const ReplyAnalysis &analysis) {
        if (!analysis.text.isEmpty())
            tellOperator(analysis.text, analysis.icon, analysis.caption);
    }

    // No operator at the station (no window): a coupon of the station's own document left
    // open by an interruption is cancelled by the station, and the document printed again.
    bool unattended = false;
};

} // namespace robot
