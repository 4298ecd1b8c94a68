// Translation of request texts into Lua programs or condition texts for the
// request handlers: JSON request bodies and single-line structured queries,
// through the parser script of the executable's folder.
#pragma once

#include <cstdint>
#include <string>

namespace qav {

class CWebInfo;

// Longest program or condition text the translators store.
constexpr size_t kMaxTranslatedBytes = 10239;

// The GBK form of a NUL-terminated UCS-2 text. Always true.
bool unicode2gbk(const uint16_t* text, std::string& out);

// The full-text programs of the parser script: ParserBMQ(query, pageSize,
// pageNo, type) and ParserBMID(query, ids, pageSize, pageNo), the numbers as
// Lua floats. program is empty when the call fails.
void ParseExpBMQAV(const std::string& query, int pageSize, int pageNo, int type, std::string& program);
void ParseExpBMQAV(const std::string& query, const std::string& ids, int pageSize, int pageNo,
                   std::string& program);
// Does nothing; true.
bool ParseExpStructQAV(const std::string& text, std::string& out, std::string& program);

// JSON body {"Func":"Query"|"query", "Query", "Type", "PageNum", "PageNo"} or
// {"Func":"ID"|"Id"|"id", "Query", "ID":[ids], "PageNum", "PageNo"} into
// the program of ParseExpBMQAV (any other "Func": the empty program). False,
// with the text unchanged, when the body is not JSON or a member is missing.
bool BMQAVText2Json(CWebInfo* info);

// JSON body {"PageNum", "PageNo", "Func", "Query", "Value":[...]} into the
// condition text "name=value|" for each object element (its first member)
// and "text|" for each string element; the page size and number come from
// "PageNum" and "PageNo". False, text unchanged, on bad JSON or a missing
// member.
bool StructQAVText2Json(CWebInfo* info);
// The same checks; the text becomes the string of "Query".
bool StructQAVText2Json_Script(CWebInfo* info);

// The record's text (at most 30,719 bytes) through the script's
// Parser(text); the text becomes the program (empty when the call fails).
// flag is not used.
void StructQAVText2Json_LUA(CWebInfo* info, int flag);

}  // namespace qav
