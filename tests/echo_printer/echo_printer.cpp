// A stand-in printer library for the binding's tests: each entry point records the bytes it
// received (readable through EchoPrinter_LastCall), returns its own code so a miswired entry
// point shows, and answers buffers with fixed texts, never writing past the space it is given.

#include "printer/EntryPoints.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

std::string lastCall;

void record(const char *name, std::initializer_list<std::string> args) {
    lastCall = name;
    for (const auto &arg : args)
        lastCall += "|" + arg;
}

// The caller's buffer holds its capacity in spaces before the NUL.
short answer(const char *name, char *buffer, const char *text, std::size_t length, short code) {
    const std::size_t capacity = std::strlen(buffer);
    record(name, {std::to_string(capacity)});
    const std::size_t n = std::min(capacity, length);
    std::memcpy(buffer, text, n);
    if (n < capacity)
        buffer[n] = '\0';
    return code;
}

constexpr char kLong[] = "0123456789";

} // namespace

extern "C" {

FISCAL_EXPORT const char *FISCAL_API EchoPrinter_LastCall() {
    return lastCall.c_str();
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_AbreComprobanteDeVentaEx(const char *a, const char *b,
                                                                    const char *c) {
    record(__func__, {a, b, c});
    return 101;
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_VendeArticulo(const char *a, const char *b,
                                                         const char *c, const char *d,
                                                         const char *e, short decimals,
                                                         const char *f, const char *g,
                                                         const char *h) {
    record(__func__, {a, b, c, d, e, std::to_string(decimals), f, g, h});
    return decimals;
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_IniciaCierreCupon(const char *a, const char *b,
                                                             const char *c) {
    record(__func__, {a, b, c});
    return 103;
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_EfectuaFormaPago(const char *a, const char *b) {
    record(__func__, {a, b});
    return 104;
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_FinalizarCierreCupon(const char *a) {
    record(__func__, {a});
    return 105;
}

// Exactly six digits: fills a buffer of 6 to the last byte, leaving no NUL inside it.
FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroCupon(char *buffer) {
    return answer(__func__, buffer, "000123", 6, 106);
}

// Shorter than the buffer: ends with a NUL of its own.
FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroReducciones(char *buffer) {
    return answer(__func__, buffer, "0042", 4, 107);
}

// Longer than any buffer: cut at the capacity.
FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroIntervenciones(char *buffer) {
    std::string text;
    while (text.size() < 1000)
        text += kLong;
    return answer(__func__, buffer, text.data(), text.size(), 108);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_AccionaGaveta() {
    record(__func__, {});
    return 109;
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_AbreNotaDeCredito(const char *a, const char *b,
                                                             const char *c, const char *d,
                                                             const char *e, const char *f,
                                                             const char *g, const char *h,
                                                             const char *i, const char *j) {
    record(__func__, {a, b, c, d, e, f, g, h, i, j});
    return 110;
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_CierraCuponReducido(const char *a, const char *b) {
    record(__func__, {a, b});
    return 111;
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_AnulaCupon() {
    record(__func__, {});
    return 112;
}

#ifndef ECHO_PRINTER_WITHOUT_LECTURAX
FISCAL_EXPORT short FISCAL_API Bematech_FI_LecturaX() {
    record(__func__, {});
    return 113;
}
#endif

FISCAL_EXPORT short FISCAL_API Bematech_FI_ReduccionZ(const char *a, const char *b) {
    record(__func__, {a, b});
    return 114;
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroSerie(char *buffer) {
    return answer(__func__, buffer, "BE0123456789", 12, 115);
}

// A NUL in the middle of the answer: what follows it is not part of the reply.
FISCAL_EXPORT short FISCAL_API Bematech_FI_DatosUltimaReduccion(char *buffer) {
    return answer(__func__, buffer, "ABC\0DEF", 7, 116);
}

// Writes nothing: the buffer comes back as the caller's spaces.
FISCAL_EXPORT short FISCAL_API Bematech_FI_ContadoresTotalizadoresNoFiscales(char *buffer) {
    record(__func__, {std::to_string(std::strlen(buffer))});
    return 117;
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroSustituicionesPropietario(char *buffer) {
    return answer(__func__, buffer, "07", 2, 118);
}

// ANSI bytes in the answer: ó is 0xF3 and € is 0x80 in Windows-1252.
FISCAL_EXPORT short FISCAL_API Bematech_FI_LeerArchivoRetorno(char *buffer) {
    return answer(__func__, buffer, "Cup\xF3n \x80", 7, 119);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_RetornoImpresora(short *ack, short *st1, short *st2) {
    record(__func__, {std::to_string(*ack), std::to_string(*st1), std::to_string(*st2)});
    *ack = 6;
    *st1 = 66;
    *st2 = 129;
    return 120;
}
}
