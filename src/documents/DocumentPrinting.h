#pragma once

namespace robot {

// The two printing procedures a robot tick may run. Each returns whether it took a document
// (printed or failed); false when the first pending one may not be taken now.
class DocumentPrinting {
public:
    virtual ~DocumentPrinting() = default;
    virtual bool ImprimirFactura() = 0;
    virtual bool ImprimirNotaCredito() = 0;
    // The document taken last may be taken again: the robot starts again after a failure, and
    // the print journal settles first what the failure left on paper.
    virtual void forgetLastTaken() = 0;
};

} // namespace robot
