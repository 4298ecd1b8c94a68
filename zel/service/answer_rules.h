// Conventions of the exported ZEL_ functions: UTF-8 at the boundary, GBK
// inside, and the two rules for writing an answer into a caller's buffer.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace zel {

// UTF-8 argument to GBK (null counts as empty; at most 65,535 bytes kept).
std::string ToGbk(const char* utf8);
// GBK result to UTF-8 (at most 65,535 bytes kept).
std::string ToUtf8(const std::string& gbk);

// Text rule: the answer and its NUL are copied only when the answer is
// shorter than size; the answer's length is returned either way.
int AnswerText(const std::string& answer, char* out, int size);
// JSON rule: copied as above; returns the length of the text the buffer
// holds after the call (the earlier content when the answer did not fit).
int AnswerJson(const std::string& answer, char* out, int size);
// An empty text (when size allows) and 0.
int AnswerEmpty(char* out, int size);

// Compact JSON, UTF-8 strings.
std::string JsonList(const std::vector<std::string>& utf8Values);
std::string JsonListMap(const std::map<std::string, std::vector<std::string>>& utf8Map);
// An array of arrays of UTF-8 strings.
std::string JsonLists(const std::vector<std::vector<std::string>>& utf8Lists);
// The same from GBK texts, each converted to UTF-8.
std::string JsonListGbk(const std::vector<std::string>& gbkValues, int count);
std::string JsonListMapGbk(const std::map<std::string, std::vector<std::string>>& gbkMap);

}  // namespace zel
