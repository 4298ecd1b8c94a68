// A sentence given as JSON: its units in order (words, or chunks written as
// word/tag sequences), their tags and dependency groups. When the sentence
// occurs in the lattice's current text its units are added in place,
// otherwise the lattice is rebuilt for it.
#pragma once

#include <string>
#include <vector>

struct cJSON;

namespace zel {

class CLattice;

// JSON input when the text is a JSON object with units, else a plain build
// of the text. Always true.
bool InputData(CLattice* lattice, const char* text, int& from, int& to);
// false when the GBK text holds no '{', is no valid JSON or has no units;
// from..to = the columns of the described sentence.
bool InputJson(CLattice* lattice, const char* text, const char* tag, int& from, int& to);
bool InputJson_Group(CLattice* lattice, const cJSON* json, const char* tag, int& from, int& to);
// Words and tags of a word/tag sequence; out = the joined words, cut before
// the first word that would make it reach capacity bytes.
void SplitInput(const char* text, std::vector<std::string>& words, std::vector<std::string>& tags,
                std::string& out, size_t capacity);

}  // namespace zel
