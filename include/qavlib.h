// Public interface of the retrieval library.
#pragma once

// Same definition as the library's own export marker, so that this header
// stands alone for a host program.
#ifndef QZ_EXPORT
#define QZ_EXPORT __attribute__((visibility("default")))
#endif

struct lua_State;

// Size of the answer buffer of QAV_RunQAV: an answer is at most
// QAV_MAX_ANSWER_BYTES - 1 bytes of UTF-8 followed by a NUL. A result that
// would be longer is replaced by a message that says so.
#define QAV_MAX_ANSWER_BYTES 10485760

#ifdef __cplusplus
extern "C" {
#endif

// The engine's life cycle for a host program. Start-up, shut-down and index
// builds must not overlap each other or running queries; queries may run on
// several threads at once. All texts are NUL-terminated UTF-8 or paths.

// Starts the engine on an index directory (its configuration "config.txt").
// 1 when the engine is started, now or already (a started engine stays on
// the directory it was started on until QAV_Exit or QAV_IndexQAV); 0 when
// the start fails.
QZ_EXPORT int QAV_Init(const char* indexDir);

// Runs one query and writes its answer, NUL-terminated, into answer, which
// must hold QAV_MAX_ANSWER_BYTES bytes; returns the answer's length (0, with
// nothing written, for a null answer). Starts the engine on indexDir first
// when it is not started; when that fails the answer is an error text. A
// query with a line break is a Lua program; any other query is translated by
// the function Parser of the script parserFile, and a translation holding
// "--Lua" is itself the answer. The answer is the text the program returns
// (the JSON of Output), or the text of its Lua error.
QZ_EXPORT long QAV_RunQAV(const char* parserFile, const char* indexDir, const char* query, char* answer);

// Builds an index from a configuration file and a corpus list (one corpus
// file a line) into indexDir, shutting a started engine down first, then
// starts the engine on indexDir whatever the build's outcome. 1 when the
// build succeeded, 0 otherwise.
QZ_EXPORT int QAV_IndexQAV(const char* configFile, const char* corpusList, const char* indexDir);

// Shuts a started engine down; nothing when none is. Always 1.
QZ_EXPORT int QAV_Exit(void);

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

#ifdef __cplusplus
// Structured index builds. Both entries build the index directory indexDir
// (created when missing) with a builder of default settings and return 1 on
// success, 0 when a stage failed. They keep C++ linkage: their exported names
// encode the parameter types. Only one build may run in a process at a time.
//
// IdxMainAllInOne: configFile is the JSON configuration (copied to
// "config.txt" in indexDir), corpusList a file naming one corpus file a line.
// The build log "qav_idx_YYYYMMDD_HHMMSS.log" is written in indexDir. The
// index is built in indexDir + ".building" and swapped with indexDir in one
// rename when every stage has succeeded, so indexDir holds the old index,
// whole, until then; a failed build leaves it as it was.
QZ_EXPORT int IdxMainAllInOne(const char* configFile, const char* corpusList, const char* indexDir);

// IdxMain: the older build over a ready file list (lines "path<TAB>kind" of
// data text files) and a document list in the "Org.txt" format.
QZ_EXPORT int IdxMain(const char* configFile, const char* orgText, const char* fileList, const char* indexDir);

// Full-text index build, C++ linkage like the structured builds. configFile
// must be named "config.txt" (it is copied into indexDir unless it is that
// copy); fileList names one input file a line, lines that are empty or begin
// with a blank, "#", "-" or "\\" excepted. Input files hold documents as
// "#Global key=value;...", "#Group name=FIELD", "Item:word/tag ..." and
// "Table" lines. Sets the process's engine kind to full-text. Returns 1 on
// success, 0 when a stage or an input thread failed.
QZ_EXPORT int IdxBM(const char* configFile, const char* fileList, const char* indexDir);

// Runs the HTTP service of the retrieval engine on the index directory
// dataDir, listening on every interface at port (a decimal text), until the
// process receives SIGINT or SIGTERM. Routes: "/isactive", "/version",
// "/showsource?id=ID&w=WIDTH", "/struct" (body: a query or a Lua program) and
// "/qav" (body: JSON with "query", "condition" and "limit"); query answers
// come back as {"result":"..."}. Queries are translated by
// "utils/Parser.lua" under the working directory. An engine started by
// QAV_Init is shut down first; the service's own engine is shut down when it
// ends. Returns 1 after a termination signal, 0 when the engine cannot start;
// when the port cannot be listened on, the process exits with status 1.
// It changes the dispositions of SIGINT, SIGTERM, SIGPIPE, SIGSEGV, SIGBUS,
// SIGFPE and SIGABRT while it runs and puts them back before returning.
QZ_EXPORT int QAV_Http(const char* port, const char* dataDir);
#endif
