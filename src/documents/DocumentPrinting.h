#pragma once

namespace robot {

// The two printing procedures a robot tick may run. Each returns whether it took a document
// (printed or failed); false when the first pending one may not be taken now.
class DocumentPrinting {
public:
    virtual ~DocumentPrinting() = default;
    virtual bool ImprimirFactura() = 0;
    virtual bool ImprimirNotaCredito() = 0;
};

} // namespace robot
