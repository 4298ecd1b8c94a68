// Public interface of the grammar library.
#pragma once

// Same definition as the library's own export marker, so that this header
// stands alone for a host program.
#ifndef QZ_EXPORT
#define QZ_EXPORT __attribute__((visibility("default")))
#endif

struct lua_State;

#ifdef __cplusplus
extern "C" {
#endif

// The library-wide error text (GBK, NUL-terminated) of the last lattice
// set-up and the grammar compiler's conversion steps; a host may read it.
// Shared by every thread and not locked.
#define ZEL_ERROR_MSG_SIZE 102400
QZ_EXPORT extern char g_szMsg[ZEL_ERROR_MSG_SIZE];

// Sets the Lua globals "encode" and "decode" of L to the JSON encoder and
// decoder of the cjson module (the module's own functions and settings).
// Returns 1.
QZ_EXPORT int RegistJson(struct lua_State* L);

#ifdef __cplusplus
}
#endif
