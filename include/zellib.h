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

// ---- Start-up and life cycle ----
// Every text argument of a ZEL_ function is UTF-8 and every text answer is
// UTF-8 (at most 65,535 bytes of each are converted). A function that takes
// an output buffer and its size copies its answer (with its NUL) only when
// the answer is shorter than the size, and otherwise leaves the buffer as it
// was; a text answer returns its length either way, a JSON answer (compact)
// the length of the text the buffer holds afterwards. A null lattice handle
// makes a function that takes one return 0 without writing anything.
// Nothing here locks: starts, ends and rule runs must not overlap.

// Creates dataFolder (when given) and makes it the rule and table folder,
// then starts from the configuration file (when given). Returns 1.
QZ_EXPORT int ZEL_DataInit(const char* configPath, const char* dataFolder);
// Ends the start and starts again from the configuration file. Returns 1.
QZ_EXPORT int ZEL_ReLoad(const char* configPath);
// A new lattice; it belongs to the caller until ZEL_Term.
QZ_EXPORT void* ZEL_LatticeInit(void);
// Frees the lattice (when given), then ends the start.
QZ_EXPORT void ZEL_Term(void* handle);

// The n-gram model paths named by an older configuration format ("LMPath:",
// "LM_L:", "LM_M:", "LM_R:" lines). Each output must hold
// ZEL_PATH_BYTES bytes. 1 after reading the file, 0 when it cannot be opened.
#define ZEL_PATH_BYTES 1024
QZ_EXPORT int ReadConfig(const char* file, char* leftIndex, char* leftData, char* middleIndex, char* middleData,
                         char* rightIndex, char* rightData);
// Remembers the "Path" of a JSON object as the segmentation folder; 0 when
// the text does not parse or has no "Path".
QZ_EXPORT int SegInit(const char* json);
// Forgets the result buffers of the corpus-query client threads.
QZ_EXPORT void InitBuff(void);

// ---- Named services ----
// Posts the text to the named service; the reply, with a JSON object reply
// gaining the member "ST" naming the service. "" and 0 for an unknown
// service or no reply. The handle is not used.
QZ_EXPORT int ZEL_CallService(void* handle, const char* service, const char* text, char* out, int size);
// Posts a JSON body unconverted; 1 when a reply was received (out holds the
// body of a status-200 answer, or ""), 0 otherwise. The handle is not used.
QZ_EXPORT int ZEL_CallDot(void* handle, const char* service, const char* body, char* out, int size);
// The URL of the named service; out must hold ZEL_URL_BYTES bytes. Returns
// its length, 0 (and "") for an unknown service.
#define ZEL_URL_BYTES 1044
QZ_EXPORT int ZEL_GetServiceURL(const char* service, char* out);

// Answers of the functions that take no size are at most these many bytes
// with their NUL; a longer answer is not copied (its length is returned).
#define ZEL_LIST_ANSWER_BYTES 1048576
#define ZEL_ID_BYTES 64

// ---- Input, rule parameters and match paths ----
// Builds the lattice from a JSON sentence description or a plain sentence
// (at most 51,199 bytes in GBK). 1.
QZ_EXPORT int ZEL_SetText(void* handle, const char* text);
// Adds the words, chunks, trees and groups of a JSON description; 0 when it
// does not parse.
QZ_EXPORT int ZEL_AddStructure(void* handle, const char* json);
// One run of the rule network named (any case) over the lattice: its entry
// conditions attach it to the units they hold for, then it matches from
// them. With "Lang=Lua" among the parameters the actions run as Lua in the
// lattice's state and the answer is 1; otherwise each match's action is
// appended to out as an encoded action record (int32 record count first)
// while it fits in size, and the answer is the number of bytes written (0
// for none). 0 for a null handle or before a start; -1 for an unknown name.
QZ_EXPORT int ZEL_RunFSA(void* handle, const char* name, const char* params, char* out, int size);
// A parameter of the lattice's current rule network (the last one run).
QZ_EXPORT int ZEL_GetParam(void* handle, const char* name, char* out, int size);
// Replaces the match path by the node part of an encoded action record
// (int32 count, then per node an int32 length and that many bytes). 1.
QZ_EXPORT int ZEL_SetFSAPath(void* handle, const void* nodePart);
// n itself; -1 gives the number of nodes of the match path.
QZ_EXPORT int ZEL_GetFSANodeByInt(void* handle, int n);
// The first match-path position of a reference (a number, or "$" and tag
// numbers joined by "@"); 0 outside the path.
QZ_EXPORT int ZEL_GetFSANodeByTag(void* handle, const char* reference);
// The unit id of match-path node n (0 the last node, -1 the first).
QZ_EXPORT int ZEL_GetUnitByInt(void* handle, int n, char* out, int size);
// The unit id of the node nearest the end carrying one of the tag numbers
// of "$n@m..."; "" and 0 otherwise.
QZ_EXPORT int ZEL_GetUnitByStr(void* handle, const char* reference, char* out, int size);
// Conversions into buffers of the library (65,536 bytes each) that the next
// call of the same function overwrites.
QZ_EXPORT char* ZEL_GbkToUtf8(const char* gbk);
QZ_EXPORT char* ZEL_Utf8ToGbk(const char* utf8);

// ---- Text and unit queries ----
QZ_EXPORT int ZEL_GetText(void* handle, char* out, int size);
// Columns from..to (to = -1: the last column) of the normalised sentence.
QZ_EXPORT int ZEL_GetTextByRange(void* handle, int from, int to, char* out, int size);
QZ_EXPORT int ZEL_GetWord(void* handle, const char* reference, char* out, int size);
// "key=value..." : the best path of units meeting it; "(c,i)": as ZEL_GetWord.
QZ_EXPORT int ZEL_GetTextByUnit(void* handle, const char* unitText, char* out, int size);
QZ_EXPORT int ZEL_GetUnitByRange(void* handle, int column, int row, char* out, int size);
// JSON: one array of unit ids per column.
QZ_EXPORT int ZEL_GetGrid(void* handle, char* out, int size);
// JSON: every unit id.
QZ_EXPORT int ZEL_GetUnits(void* handle, char* out, int size);
// JSON: the ids of the units meeting a condition, or stored under a
// "URoot..." grid key.
QZ_EXPORT int ZEL_GetUnitsByKV(void* handle, const char* expression, char* out, int size);
// JSON: the ids of the units a unit expression ("UHead", "UHead:ULeftChar")
// reaches from the unit and that meet the condition (empty: every one).
QZ_EXPORT int ZEL_GetUnitsByNo(void* handle, const char* unitId, const char* expression, const char* condition,
                               char* out, int size);

// ---- Key-value and relation queries ----
// JSON: the values of a grid key, or (empty key) the whole grid.
QZ_EXPORT int ZEL_GetGridKVs(void* handle, const char* key, char* out, int size);
QZ_EXPORT int ZEL_GetLog(void* handle, char* out, int size);
// JSON: the unit's values of a key, or (empty key) all its key-values.
QZ_EXPORT int ZEL_GetUnitKVs(void* handle, const char* reference, const char* key, char* out, int size);
// JSON: [head id, dependent id, name] of every relation carrying the
// attribute (every relation for an empty one). out must hold
// ZEL_LIST_ANSWER_BYTES bytes.
QZ_EXPORT int ZEL_GetRelations(void* handle, const char* attribute, char* out);
QZ_EXPORT int ZEL_GetRelationKVs(void* handle, const char* head, const char* dependent, const char* relation,
                                 const char* key, char* out, int size);

// ---- Lattice edits and predicates ----
// Adds (or finds) a word unit ending at the column; its id.
QZ_EXPORT int ZEL_AddUnit(void* handle, int column, const char* word, char* out, int size);
QZ_EXPORT int ZEL_AddUnitKV(void* handle, const char* unitId, const char* key, const char* value);
QZ_EXPORT int ZEL_AddGridKV(void* handle, const char* key, const char* value);
QZ_EXPORT int ZEL_AddRelation(void* handle, const char* head, const char* dependent, const char* relation);
QZ_EXPORT int ZEL_AddRelationKV(void* handle, const char* head, const char* dependent, const char* relation,
                                const char* key, const char* value);
QZ_EXPORT int ZEL_IsUnit(void* handle, const char* reference, const char* condition);
QZ_EXPORT int ZEL_IsRelation(void* handle, const char* head, const char* dependent, const char* relation,
                             const char* expression);
// Merges match positions from..to into one word unit; its id into out,
// which must hold ZEL_ID_BYTES bytes.
QZ_EXPORT int ZEL_Reduce(void* handle, int from, int to, char* out);
QZ_EXPORT int ZEL_SetLexicon(void* handle, const char* table);
QZ_EXPORT int ZEL_AppLexicon(void* handle, const char* text);

// ---- Word tables ----
// The lookups return 0 for a null handle and use it for nothing else.
QZ_EXPORT int ZEL_GetTable(void* handle, char* out, int size);
QZ_EXPORT int ZEL_GetTableItems(void* handle, const char* table, const char* expression, char* out, int size);
QZ_EXPORT int ZEL_GetTableItemKVs(void* handle, const char* table, const char* item, const char* key, char* out,
                                  int size);
QZ_EXPORT int ZEL_IsTable(void* handle, const char* table, const char* item, const char* expression);
QZ_EXPORT int ZEL_GetPrefix(void* handle, const char* table, const char* text, char* out, int size);
QZ_EXPORT int ZEL_GetSuffix(void* handle, const char* table, const char* text, char* out, int size);
// Builds the table pair of a source file into the table folder, beside the
// loaded tables (which stay loaded); the JSON array of the names of the
// tables built with an attribute index. out must hold
// ZEL_LIST_ANSWER_BYTES bytes.
QZ_EXPORT int ZEL_MakeTable(const char* source, char* out);
// Compiles a rule-base list into the rule folder. 1.
QZ_EXPORT int ZEL_MakeRule(const char* source);

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

// Text functions of the rule compiler.
// Copies a UTF-8 text file to output as GBK, line by line; does nothing when
// either file cannot be opened.
QZ_EXPORT void Convert2GB(const char* input, const char* output);
// Escapes '"', '&', '\'', '<' and '>' of a GBK text as XML entities, in
// place; text holds size bytes. False, with text unchanged, for a null text
// or when the escaped text and its NUL do not fit in size bytes.
QZ_EXPORT bool processJSONSpecialTag(char* text, int size);
// Splits a dictionary entry such as "a(b;c d)", up to its end or a ')', at
// blanks, '(' and ';': the first field into first, the second into second,
// all later ones joined into rest. Each output must hold strlen(text) + 1
// bytes.
QZ_EXPORT void SplitDictInfo(const char* text, char* first, char* second, char* rest);
// "NAME(arguments)": name gets the text before the first '(' in upper case
// (a-z only), arguments the text after it without a trailing ')', kind
// "Word". name and arguments must hold strlen(text) + 1 bytes, kind 5. False,
// with the outputs untouched, for a null text or one without '('.
QZ_EXPORT bool ParseDictRuleInfo(const char* text, char* kind, char* name, char* arguments);

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

// ---- Lattice edit with C++ linkage ----
// Makes the unit named by the id a dependent of the unit named by the
// reference (texts used as given); an id that names no unit changes
// nothing. 1; 0 for a null handle.
QZ_EXPORT int ZEL_SetHead(void* handle, const char* unitId, const char* headReference);

// ---- Lua states of the grammar library ----

namespace zel {
class CLattice;
}

// The lattice bound to a Lua state; null for a null state or an unbound one.
QZ_EXPORT zel::CLattice* GetLattice(lua_State* L);
// The library's own start-up state (no lattice; nothing runs in it); null
// while the library is not started.
QZ_EXPORT lua_State* Get_lua_State();

// Loads the Lua file into L (into a new state with the standard libraries
// when L is null, closed again afterwards), runs its chunk (its errors are
// ignored) and calls the global function with the three texts. While Lua
// output capture is on, what the code prints is copied into the library's
// message log. A file that does not load: its error is printed and the
// result is true. An error of the call is added to the message log and the
// result is false; otherwise true. L's stack is left as it was found.
QZ_EXPORT bool RunLua_Func(lua_State* L, char* file, const char* function, char* a, char* b, char* c);

// ---- Remote corpus-query clients, index-service clients and utilities ----
// Nothing in the library calls these; they are kept for hosts.

#include <map>
#include <string>
#include <utility>
#include <vector>

// Sentence buffers of the corpus client: QAV appends "^#" + sentence + "\n"
// while it fits in this many bytes with the NUL.
#define ZEL_QUERY_RESULT_BYTES 1048576
// Reply buffers of OpenQuery, IdxRule_Server and IdxDict_Server; a longer
// reply is refused.
#define ZEL_REMOTE_REPLY_BYTES 52428800
// Handle buffers of GetHandle (digits and the NUL).
#define ZEL_QUERY_HANDLE_BYTES 64

// Asks the corpus-query service at base (e.g. "http://host:port") for
// wanted example sentences of query: opens the query, cuts the sentence
// out of each result line of the pages it fetches until wanted are
// collected or the pages run out, and closes the query. out (emptied first,
// ZEL_QUERY_RESULT_BYTES) gets "^#" + sentence + "\n" per result line of at
// most 1,024 bytes; got counts them. parts is not read. False when the open
// fails or its reply lacks the handle or the page count.
QZ_EXPORT bool QAV(char* base, char* query, std::vector<std::string>& parts, int wanted, char* out, int& got, int id);

// A corpus query run on a thread of its own (JParserThread, JParserThread_QAV).
struct ZelQueryJob {
    char* text = nullptr;   // "^"-separated parts
    char* base = nullptr;   // address of the corpus-query service
    char* query = nullptr;
    int wanted = 0;
    int id = 0;             // client number
    char* out = nullptr;    // JParserThread: ZEL_QUERY_RESULT_BYTES bytes
    char* result = nullptr; // JParserThread_QAV: the client's result buffer
    int pages = 0;          // JParserThread_QAV: sentences / 5,000 + 1
};

// Runs QAV for the job (a ZelQueryJob) into job->out while holding the
// process-wide lock (_Lock), when "^" splits job->text into one part or
// more. 0.
QZ_EXPORT int JParserThread(void* job);
// Runs QAV for the job into the result slot of its client number and stores
// the slot's buffer and page count in the job; a client number without a
// slot leaves both null and 0. 0.
QZ_EXPORT int JParserThread_QAV(void* job);
// The lines of result page `page` of the query with that handle (each cut
// to 511 bytes, text after the last line feed dropped); false when the
// request fails.
QZ_EXPORT bool GetInstance(char* base, char* handle, int page, std::vector<std::string>& lines);
// The sentence around the keyword marked "<U>...</U>" in a result line,
// without the marks; out must hold strlen(line) + 1 bytes. True.
QZ_EXPORT bool ExtractSent(char* line, char* out);
// Sends the open request alone; the reply goes to out
// (ZEL_REMOTE_REPLY_BYTES). False when the request fails.
QZ_EXPORT bool OpenQuery(char* base, char* query, char* out, int wanted, int id);
// Sends the close request; its reply is discarded.
QZ_EXPORT bool CloseQuery(char* base, char* handle);
// The digits after "\"Handle\"=" (ZEL_QUERY_HANDLE_BYTES); false when the
// key is missing or the digits do not fit.
QZ_EXPORT bool GetHandle(char* reply, char* handle);
// The number after "\"Num\"=", 0 and false when the key is missing.
QZ_EXPORT bool GetNum(char* reply, int& n);

// Asks the named service's index builder on this machine (path "idxrule" or
// "idxdict", query key "input"); the reply goes to out
// (ZEL_REMOTE_REPLY_BYTES). False for an unknown service or a failed request.
QZ_EXPORT bool IdxRule_Server(char* service, char* input, char* out);
QZ_EXPORT bool IdxDict_Server(char* service, char* input, char* out);

// Splits folder/fileName at its "#kind" lines into one temporary file per
// section (WriteToFile); lines starting with "//" or "--" are skipped. False
// when the file cannot be read or a section cannot be written.
QZ_EXPORT bool GetLocalInfo(char* folder, std::vector<std::pair<std::string, std::string>>& files, char* fileName,
                            char* name, std::map<std::string, std::string>& targets);
// Writes the lines to folder/Tmp_kind, recording (temporary name, kind) in
// files and the final name folder/name_kind under the temporary name in
// targets; the last line starting with "^" also goes, without it, to
// folder/name_kind_Tree. False when a file cannot be written.
QZ_EXPORT bool WriteToFile(char* folder, char* name, char* kind, std::vector<std::string>& lines,
                           std::vector<std::pair<std::string, std::string>>& files,
                           std::map<std::string, std::string>& targets);
// The file's first line without its line end; empty when unreadable.
QZ_EXPORT void GetStructInfo(std::string file, std::string& text);

// Loads the test model "d:\\tmp\\testlm\\test.idx"/".dat" from the working
// folder, scores a fixed text with it and unloads it.
QZ_EXPORT void TestNGram();
// Appends "#<tag>\t<local time>\n<text>\n" to the configured log file.
QZ_EXPORT void PrintLog(char* text, char* tag);
// The process-wide lock that PrintLog and JParserThread hold.
QZ_EXPORT void _Lock();
QZ_EXPORT void _Unlock();
// Prints "a\tb\t<local time>\n".
QZ_EXPORT void PrintMsg(const char* a, const char* b);
// Prints "text<n>\n".
QZ_EXPORT void DBPrint(char* text, int n);
QZ_EXPORT void SetWorkingPath(const char* path);

// The big-endian 32-bit number at bytes.
QZ_EXPORT unsigned get_unsigned_int(unsigned char* bytes);

// The Base64 decoder of the library's image output, for hosts.
class CBase64 {
public:
    // Decodes four characters at a time, stepping over line breaks between
    // groups; a "=" in the third or fourth place ends its group. count grows
    // by one per byte produced.
    QZ_EXPORT std::string Decode(const char* text, int length, int& count);
};
#endif
