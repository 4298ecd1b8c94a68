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

// ---- Character n-gram models (C++ linkage) ----
// Scores are log probabilities of the model files: 0 is certain, -12 the
// floor. Loading and unloading must not overlap scoring.

// Loads the left, back-off (LM) and right models from their index and data
// files. 1 when the models are loaded, now or by an earlier call (they are
// not reloaded); 0 when a path is empty or a model cannot be loaded, in which
// case nothing is kept and a later call may try again.
QZ_EXPORT int HZNGramInit(const char* leftIndex, const char* leftData, const char* lmIndex, const char* lmData,
                          const char* rightIndex, const char* rightData);

// Scores a GBK text of two-byte characters with one model: type 0 left,
// 1 right, 3 back-off, 4 and 5 the prefix models. Sets *score to 0 first;
// false for another type or a model that is not loaded.
QZ_EXPORT bool GetNgramProb(const char* text, int type, float* score);

// Frees the models loaded by HZNGramInit.
QZ_EXPORT void HZNGramExit();

// ---- end of the n-gram models ----

#endif
