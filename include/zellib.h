// Public interface of the grammar library.
#pragma once

#ifndef QZ_EXPORT
#define QZ_EXPORT __attribute__((visibility("default")))
#endif

// ---- Segmentation model and part-of-speech tagging -------------------------

// Compiles a CRF text model into the binary model that ZEL_CRFInit loads; 1 on
// success, 0 when the text model cannot be opened or the output written.
QZ_EXPORT int IdxCRF(const char* textModelPath, const char* binaryModelPath);

// Size of the answer buffers of ZEL_Seg and ZEL_POS: an answer is at most
// ZEL_SEG_ANSWER_BYTES - 1 bytes of UTF-8 followed by a NUL. A segmentation
// reads at most 65,535 bytes of the text (in GBK), a tagging at most 10,233
// bytes of words, and a tagged answer holds at most 51,199 bytes (in GBK).
#define ZEL_SEG_ANSWER_BYTES 262144

#ifdef __cplusplus
extern "C" {
#endif

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

#ifdef __cplusplus
}
#endif
