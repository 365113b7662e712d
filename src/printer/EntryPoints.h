#pragma once

// The C entry points of the fiscal printer library, shared by the run-time binding and the
// virtual printer so that both sides agree on every signature.

#ifdef _WIN32
#define FISCAL_API __stdcall
#else
#define FISCAL_API
#endif

#if defined(_WIN32)
#define FISCAL_EXPORT __declspec(dllexport)
#else
#define FISCAL_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
using FnText3 = short(FISCAL_API *)(const char *, const char *, const char *);
using FnText2 = short(FISCAL_API *)(const char *, const char *);
using FnText1 = short(FISCAL_API *)(const char *);
using FnBuffer = short(FISCAL_API *)(char *);
using FnNone = short(FISCAL_API *)();
using FnVendeArticulo = short(FISCAL_API *)(const char *, const char *, const char *, const char *,
                                            const char *, short, const char *, const char *,
                                            const char *);
using FnText10 = short(FISCAL_API *)(const char *, const char *, const char *, const char *,
                                     const char *, const char *, const char *, const char *,
                                     const char *, const char *);
using FnRetornoImpresora = short(FISCAL_API *)(short *, short *, short *);
}
