// A stand-in printer library for the binding's tests, expanded from the entry point table:
// entry point number i returns 101 + i so a miswired entry point shows, writes the name and the
// bytes it received to the file ECHO_PRINTER_LAST_CALL names (the library may run in the
// bridge's process), and answers buffers with fixed texts, never writing past the space given.

#include "printer/EntryPoints.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#ifdef ECHO_PRINTER_WITHOUT_LECTURAX
#define Bematech_FI_LecturaX EchoPrinter_Renamed_LecturaX
#endif

using robot::fiscal::EntryPoint;

namespace {

short record(EntryPoint e, std::initializer_list<std::string> args, short code = 0) {
    std::string call = robot::fiscal::nameOf(e);
    for (const auto &arg : args)
        call += "|" + arg;
    if (const char *path = std::getenv("ECHO_PRINTER_LAST_CALL")) {
        if (std::FILE *file = std::fopen(path, "wb")) {
            std::fwrite(call.data(), 1, call.size(), file);
            std::fclose(file);
        }
    }
    return code ? code : short(101 + int(e));
}

// What each query writes; nothing: the buffer comes back as the caller's spaces.
std::optional<std::string> answerOf(EntryPoint e) {
    switch (e) {
    case EntryPoint::NumeroCupon:
        return "000123"; // six digits: fills a buffer of 6, no NUL inside
    case EntryPoint::NumeroReducciones:
        return "0042"; // shorter: ends with a NUL of its own
    case EntryPoint::DatosUltimaReduccion:
        return std::string("ABC\0DEF", 7); // what follows a NUL is not part of the answer
    case EntryPoint::LeerArchivoRetorno:
        return "Cup\xF3n \x80"; // ó and € in Windows-1252
    case EntryPoint::NumeroIntervenciones:
        return std::string(1000, '7'); // longer than any buffer: cut at the capacity
    default:
        return std::nullopt;
    }
}

// The caller's buffer holds its capacity in spaces before the NUL.
short answer(EntryPoint e, char *buffer) {
    const std::size_t capacity = std::strlen(buffer);
    if (const std::optional<std::string> text = answerOf(e)) {
        const std::size_t n = std::min(capacity, text->size());
        std::memcpy(buffer, text->data(), n);
        if (n < capacity)
            buffer[n] = '\0';
    }
    return record(e, {std::to_string(capacity)});
}

// By reference: the caller's values are recorded, fixed ones come back.
short status(EntryPoint e, short *ack, short *st1, short *st2) {
    const short code =
        record(e, {std::to_string(*ack), std::to_string(*st1), std::to_string(*st2)});
    *ack = 6;
    *st1 = 66;
    *st2 = 129;
    return code;
}

} // namespace

#define S const char *
#define ECHO_None(name) ()
#define ECHO_CALL_None(name) record(EntryPoint::name, {})
#define ECHO_Text1(name) (S a)
#define ECHO_CALL_Text1(name) record(EntryPoint::name, {a})
#define ECHO_Text2(name) (S a, S b)
#define ECHO_CALL_Text2(name) record(EntryPoint::name, {a, b})
#define ECHO_Text3(name) (S a, S b, S c)
#define ECHO_CALL_Text3(name) record(EntryPoint::name, {a, b, c})
#define ECHO_Text10(name) (S a, S b, S c, S d, S e, S f, S g, S h, S i, S j)
#define ECHO_CALL_Text10(name) record(EntryPoint::name, {a, b, c, d, e, f, g, h, i, j})
#define ECHO_Item(name) (S a, S b, S c, S d, S e, short n, S f, S g, S h)
// The short comes back as the return code.
#define ECHO_CALL_Item(name)                                                                       \
    record(EntryPoint::name, {a, b, c, d, e, std::to_string(n), f, g, h}, n)
#define ECHO_Buffer(name) (char *buffer)
#define ECHO_CALL_Buffer(name) answer(EntryPoint::name, buffer)
#define ECHO_Status(name) (short *ack, short *st1, short *st2)
#define ECHO_CALL_Status(name) status(EntryPoint::name, ack, st1, st2)

#define ECHO_ENTRY(name, shape)                                                                    \
    FISCAL_EXPORT short FISCAL_API FISCAL_SYMBOL(name) ECHO_##shape(name) {                        \
        return ECHO_CALL_##shape(name);                                                            \
    }

extern "C" {
FISCAL_ENTRY_POINTS(ECHO_ENTRY)
}
