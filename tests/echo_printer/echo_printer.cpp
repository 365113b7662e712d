// A stand-in printer library for the binding's tests: each entry point records the bytes it
// received (readable through EchoPrinter_LastCall), returns its own code so a miswired entry
// point shows, and answers buffers with fixed texts, never writing past the space it is given.

#include "printer/EntryPoints.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

std::string lastCall;

short record(const char *name, short code, std::initializer_list<std::string> args) {
    lastCall = name;
    for (const auto &arg : args)
        lastCall += "|" + arg;
    return code;
}

// The caller's buffer holds its capacity in spaces before the NUL; a null text writes nothing.
short answer(const char *name, char *buffer, const char *text, std::size_t length, short code) {
    const std::size_t capacity = std::strlen(buffer);
    record(name, code, {std::to_string(capacity)});
    const std::size_t n = std::min(capacity, length);
    if (text)
        std::memcpy(buffer, text, n);
    if (text && n < capacity)
        buffer[n] = '\0';
    return code;
}

} // namespace

#define ENTRY(name, code, params, ...)                                                             \
    FISCAL_EXPORT short FISCAL_API Bematech_FI_##name params {                                     \
        return record(__func__, code, {__VA_ARGS__});                                              \
    }
#define BUFFER(name, code, text)                                                                   \
    FISCAL_EXPORT short FISCAL_API Bematech_FI_##name(char *buffer) {                              \
        return answer(__func__, buffer, text, sizeof(text) - 1, code);                             \
    }
#define S const char *
#define TEXT10 (S a, S b, S c, S d, S e, S f, S g, S h, S i, S j)

extern "C" {

FISCAL_EXPORT const char *FISCAL_API EchoPrinter_LastCall() {
    return lastCall.c_str();
}

ENTRY(AbreComprobanteDeVentaEx, 101, (S a, S b, S c), a, b, c)
ENTRY(IniciaCierreCupon, 103, (S a, S b, S c), a, b, c)
ENTRY(EfectuaFormaPago, 104, (S a, S b), a, b)
ENTRY(FinalizarCierreCupon, 105, (S a), a)
ENTRY(AccionaGaveta, 109, ())
ENTRY(AbreNotaDeCredito, 110, TEXT10, a, b, c, d, e, f, g, h, i, j)
ENTRY(CierraCuponReducido, 111, (S a, S b), a, b)
ENTRY(AnulaCupon, 112, ())
#ifndef ECHO_PRINTER_WITHOUT_LECTURAX
ENTRY(LecturaX, 113, ())
#endif
ENTRY(ReduccionZ, 114, (S a, S b), a, b)

// The short comes back as the return code.
FISCAL_EXPORT short FISCAL_API Bematech_FI_VendeArticulo(S a, S b, S c, S d, S e, short decimals,
                                                         S f, S g, S h) {
    return record(__func__, decimals, {a, b, c, d, e, std::to_string(decimals), f, g, h});
}

BUFFER(NumeroCupon, 106, "000123")     // six digits: fills a buffer of 6, no NUL inside
BUFFER(NumeroReducciones, 107, "0042") // shorter: ends with a NUL of its own
BUFFER(NumeroSerie, 115, "BE0123456789")
BUFFER(DatosUltimaReduccion, 116, "ABC\0DEF") // what follows a NUL is not part of the answer
BUFFER(NumeroSustituicionesPropietario, 118, "07")
BUFFER(LeerArchivoRetorno, 119, "Cup\xF3n \x80") // ó and € in Windows-1252

// Longer than any buffer: cut at the capacity.
FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroIntervenciones(char *buffer) {
    std::string text;
    while (text.size() < 1000)
        text += "0123456789";
    return answer(__func__, buffer, text.data(), text.size(), 108);
}

// Writes nothing: the buffer comes back as the caller's spaces.
FISCAL_EXPORT short FISCAL_API Bematech_FI_ContadoresTotalizadoresNoFiscales(char *buffer) {
    return answer(__func__, buffer, nullptr, 0, 117);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_RetornoImpresora(short *ack, short *st1, short *st2) {
    record(__func__, 120, {std::to_string(*ack), std::to_string(*st1), std::to_string(*st2)});
    *ack = 6;
    *st1 = 66;
    *st2 = 129;
    return 120;
}
}
