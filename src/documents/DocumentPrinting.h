#pragma once

// The two printing procedures a robot tick may run.
class DocumentPrinting {
public:
    virtual ~DocumentPrinting() = default;
    virtual void ImprimirFactura() = 0;
    virtual void ImprimirNotaCredito() = 0;
};
