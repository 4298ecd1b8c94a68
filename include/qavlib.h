// Public interface of the retrieval library.
#pragma once

#include "common/qz_export.h"

struct lua_State;

#ifdef __cplusplus
extern "C" {
#endif

// Pointer slots of a Lua state made by the library: the search object that
// owns the state, the web output handle and a message buffer. Each state and
// each coroutine has its own three slots, empty at creation. A setter stores
// the pointer and returns it; a getter returns what the state's own slot
// holds. The state must be one the library made.
void* lua_setQAVSearch(lua_State* L, void* search);
void* lua_getQAVSearch(lua_State* L);
void* lua_setwebbuff(lua_State* L, void* web);
void* lua_getwebbuff(lua_State* L);
char* lua_setmsgbuff(lua_State* L, char* buffer);
char* lua_getmsgbuff(lua_State* L);

#ifdef __cplusplus
}
#endif

/* Structured index builds. Both entries build the index directory indexDir
 * (created when missing) with a builder of default settings and return 1 on
 * success, 0 when a stage failed. They keep C++ linkage: their exported names
 * encode the parameter types. Only one build may run in a process at a time.
 *
 * IdxMainAllInOne: configFile is the JSON configuration (copied to
 * "config.txt" in indexDir), corpusList a file naming one corpus file a line.
 * The build log "qav_idx_YYYYMMDD_HHMMSS.log" is written in indexDir. */
QZ_EXPORT int IdxMainAllInOne(const char* configFile, const char* corpusList, const char* indexDir);

/* IdxMain: the older build over a ready file list (lines "path<TAB>kind" of
 * data text files) and a document list in the "Org.txt" format. */
QZ_EXPORT int IdxMain(const char* configFile, const char* orgText, const char* fileList, const char* indexDir);
