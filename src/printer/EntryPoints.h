#pragma once

// The fiscal printer library's C entry points, declared once. Everything that speaks to the
// library (the in-process binding, the bridge program, the virtual printer, the test printers)
// expands FISCAL_ENTRY_POINTS, so every side agrees on names and signatures. Qt-free: the
// bridge and the virtual printer are built without Qt.

#include <cstdint>

#if defined(_WIN32)
#define FISCAL_API __stdcall
#define FISCAL_EXPORT __declspec(dllexport)
#else
#define FISCAL_API
#define FISCAL_EXPORT __attribute__((visibility("default")))
#endif

namespace robot {

// The vendor's prefix of every exported name: "Bematech_FI_" + the entry point's name.
#define FISCAL_SYMBOL_PREFIX "Bematech_FI_"
#define FISCAL_SYMBOL(name) Bematech_FI_##name

// X(name, shape): every entry point the station calls, with the shape of its arguments.
//   None    ()
//   Text1   (text)                         Text2 (text, text)         Text3 (text, text, text)
//   Text10  (ten texts)
//   Item    (text x5, short decimals, text x3): VendeArticulo's nine arguments
//   Buffer  (char *answer): the caller's N spaces and a NUL, filled in place
//   Status  (short *ack, short *st1, short *st2)
#define FISCAL_ENTRY_POINTS(X)                                                                     \
    X(AbreComprobanteDeVentaEx, Text3) /* rif, nombre, direccion */                                \
    X(VendeArticulo, Item)                                                                         \
    X(IniciaCierreCupon, Text3) /* acrecimo o descuento, tipo, valor */                            \
    X(EfectuaFormaPago, Text2)  /* forma de pago, valor */                                         \
    X(FinalizarCierreCupon, Text1)                                                                 \
    X(NumeroCupon, Buffer)                                                                         \
    X(NumeroReducciones, Buffer)                                                                   \
    X(NumeroIntervenciones, Buffer)                                                                \
    X(AccionaGaveta, None)                                                                         \
    X(AbreNotaDeCredito, Text10)                                                                   \
    X(CierraCuponReducido, Text2) /* forma de pago, mensaje */                                     \
    X(AnulaCupon, None)                                                                            \
    X(LecturaX, None)                                                                              \
    X(ReduccionZ, Text2) /* fecha, hora */                                                         \
    X(NumeroSerie, Buffer)                                                                         \
    X(DatosUltimaReduccion, Buffer)                                                                \
    X(ContadoresTotalizadoresNoFiscales, Buffer)                                                   \
    X(NumeroSustituicionesPropietario, Buffer)                                                     \
    X(LeerArchivoRetorno, Buffer)                                                                  \
    X(RetornoImpresora, Status)

// The C parameter list of each shape.
#define FISCAL_PARAMS_None ()
#define FISCAL_PARAMS_Text1 (const char *)
#define FISCAL_PARAMS_Text2 (const char *, const char *)
#define FISCAL_PARAMS_Text3 (const char *, const char *, const char *)
#define FISCAL_PARAMS_Text10                                                                       \
    (const char *, const char *, const char *, const char *, const char *, const char *,           \
     const char *, const char *, const char *, const char *)
#define FISCAL_PARAMS_Item                                                                         \
    (const char *, const char *, const char *, const char *, const char *, short, const char *,    \
     const char *, const char *)
#define FISCAL_PARAMS_Buffer (char *)
#define FISCAL_PARAMS_Status (short *, short *, short *)

namespace fiscal {

enum class Shape : std::uint8_t { None, Text1, Text2, Text3, Text10, Item, Buffer, Status };

enum class EntryPoint : std::uint8_t {
#define FISCAL_ENUM(name, shape) name,
    FISCAL_ENTRY_POINTS(FISCAL_ENUM)
#undef FISCAL_ENUM
};

inline constexpr int entryPointCount = 0
#define FISCAL_COUNT(name, shape) +1
    FISCAL_ENTRY_POINTS(FISCAL_COUNT)
#undef FISCAL_COUNT
    ;

// The entry point's own name, without the vendor prefix ("VendeArticulo").
constexpr const char *nameOf(EntryPoint e) {
    switch (e) {
#define FISCAL_NAME(name, shape)                                                                   \
    case EntryPoint::name:                                                                         \
        return #name;
        FISCAL_ENTRY_POINTS(FISCAL_NAME)
#undef FISCAL_NAME
    }
    return "";
}

// The exported symbol ("Bematech_FI_VendeArticulo").
constexpr const char *symbolOf(EntryPoint e) {
    switch (e) {
#define FISCAL_SYMBOL_NAME(name, shape)                                                            \
    case EntryPoint::name:                                                                         \
        return FISCAL_SYMBOL_PREFIX #name;
        FISCAL_ENTRY_POINTS(FISCAL_SYMBOL_NAME)
#undef FISCAL_SYMBOL_NAME
    }
    return "";
}

constexpr Shape shapeOf(EntryPoint e) {
    switch (e) {
#define FISCAL_SHAPE(name, shape)                                                                  \
    case EntryPoint::name:                                                                         \
        return Shape::shape;
        FISCAL_ENTRY_POINTS(FISCAL_SHAPE)
#undef FISCAL_SHAPE
    }
    return Shape::None;
}

// Number of text arguments a shape carries (Item: eight texts around its short).
constexpr int textCountOf(Shape s) {
    switch (s) {
    case Shape::Text1:
        return 1;
    case Shape::Text2:
        return 2;
    case Shape::Text3:
        return 3;
    case Shape::Text10:
        return 10;
    case Shape::Item:
        return 8;
    default:
        return 0;
    }
}

// Typed pointers to the library's functions, one per shape.
extern "C" {
using FnNone = short(FISCAL_API *) FISCAL_PARAMS_None;
using FnText1 = short(FISCAL_API *) FISCAL_PARAMS_Text1;
using FnText2 = short(FISCAL_API *) FISCAL_PARAMS_Text2;
using FnText3 = short(FISCAL_API *) FISCAL_PARAMS_Text3;
using FnText10 = short(FISCAL_API *) FISCAL_PARAMS_Text10;
using FnItem = short(FISCAL_API *) FISCAL_PARAMS_Item;
using FnBuffer = short(FISCAL_API *) FISCAL_PARAMS_Buffer;
using FnStatus = short(FISCAL_API *) FISCAL_PARAMS_Status;
}

} // namespace fiscal

} // namespace robot
