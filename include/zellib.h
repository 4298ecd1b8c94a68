// Public interface of the grammar library.
#pragma once

// Same definition as the library's own export marker, so that this header
// stands alone for a host program.
#ifndef QZ_EXPORT
#define QZ_EXPORT __attribute__((visibility("default")))
#endif

struct lua_State;

// Size of the answer buffers of ZEL_Seg and ZEL_POS: an answer is at most
// ZEL_SEG_ANSWER_BYTES - 1 bytes of UTF-8 followed by a NUL. A segmentation
// reads at most 65,535 bytes of the text (in GBK), a tagging at most 10,233
// bytes of words, and a tagged answer holds at most 51,199 bytes (in GBK).
#define ZEL_SEG_ANSWER_BYTES 262144

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

// ---- Segmentation model and part-of-speech tagging ----

// The process's segmentation model: 1 when it is loaded, now or already (to
// load another, call ZEL_CRFExit first); 0 when the file cannot be loaded.
QZ_EXPORT int ZEL_CRFInit(const char* modelPath);
QZ_EXPORT int ZEL_CRFExit(void);
// The process's part-of-speech dictionary: 1 when this call loads it, 0 when
// one is loaded already or the file cannot be loaded.
QZ_EXPORT int ZEL_POSInit(const char* dictPath);
QZ_EXPORT int ZEL_POSExit(void);

// A handle for segmentation and tagging; one thread at a time per handle.
// Loading or freeing the model or dictionary must not overlap their use.
QZ_EXPORT void* ZEL_CRFPOSInit(void);
QZ_EXPORT void ZEL_CRFPOSExit(void* handle);
// The words of a UTF-8 text separated by one blank (empty without a model);
// returns the answer's length in bytes.
QZ_EXPORT int ZEL_Seg(void* handle, const char* text, char* out);
// Tags UTF-8 words separated by blanks: each word as word/tag and a blank;
// returns the answer's length in bytes.
QZ_EXPORT int ZEL_POS(void* handle, const char* words, char* out);
// Segments a lattice (a handle of ZEL_LatticeInit) into word units: first by
// the part-of-speech dictionary's longest words (ZEL_GridSeg) or by the
// longest words of the loaded word table named table (ZEL_GridSegUser), then
// by the segmentation model over the rest. Writes the lattice's words as
// "word/POS " into out (at most ZEL_SEG_ANSWER_BYTES bytes with the NUL; the
// word list is cut at 51,199 bytes of GBK) and returns the answer's length;
// 0 with out untouched for a null lattice.
QZ_EXPORT int ZEL_GridSeg(void* lattice, char* out);
QZ_EXPORT int ZEL_GridSegUser(void* lattice, const char* table, char* out);

#ifdef __cplusplus
}

// ---- Entries with C++ linkage ----

// Compiles a CRF text model into the binary model that ZEL_CRFInit loads; 1 on
// success, 0 when the text model cannot be opened or the output written.
QZ_EXPORT int IdxCRF(const char* textModelPath, const char* binaryModelPath);

// Compiles a rule-base list into FOLDER/<base>fsa.idx, FOLDER/<base>fsa.dat
// and, when the list has operator libraries, FOLDER/<base>fsa.sub, <base>
// being the list's file name without its extension; the folder is made when
// missing. Intermediate files go to the working folder and are removed. False
// when the list or the output files cannot be opened; a network that fails to
// compile is left out and reported in the library's message log.
QZ_EXPORT bool RuleIdx2(const char* source, const char* folder);

// Character n-gram models. Scores are log probabilities of the model files:
// 0 is certain, -12 the floor. Loading and unloading must not overlap scoring.

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

// ---- Lua states of the grammar library ----

namespace zel {
class CLattice;
}

// The lattice bound to a Lua state; null for a null state or an unbound one.
QZ_EXPORT zel::CLattice* GetLattice(lua_State* L);

// Loads the Lua file into L (into a new state with the standard libraries
// when L is null, closed again afterwards), runs its chunk (its errors are
// ignored) and calls the global function with the three texts. While Lua
// output capture is on, what the code prints is copied into the library's
// message log. A file that does not load: its error is printed and the
// result is true. An error of the call is added to the message log and the
// result is false; otherwise true. L's stack is left as it was found.
QZ_EXPORT bool RunLua_Func(lua_State* L, char* file, const char* function, char* a, char* b, char* c);
#endif
