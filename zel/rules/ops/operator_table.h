// COperatorTable: the snippet store of operator libraries. The array holds
// the snippets of one source or binary library (the compiler's and the
// function library's); the library map gathers, name -> body, the binary
// libraries of every rule base, later names replacing earlier ones, and is
// what rule actions get their shared code from.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "zel/rules/format/operator_library.h"

namespace zel {

class COperatorTable {
public:
    // The snippets of a text source into the array (which is replaced);
    // false with "Error open <path>" when the file cannot be read.
    bool ReadInFile(const char* path, const char* mode);
    // "sub": the array sorted by name as a binary library; "table": the
    // text listing in array order; other modes write nothing and hold.
    // false with "Error open <path>" when the file cannot be written.
    bool WriteToFile(const char* path, const char* mode);
    // The array emptied, then filled from a binary library; false when the
    // file cannot be read or is damaged (the array stays empty).
    bool OperatorInit(const char* path);
    void OperatorExit() { snippets_.clear(); }
    // Every snippet of a binary library into the map; false (and the map
    // unchanged) when the file cannot be read or is damaged.
    bool ReadOneLib(const char* path);
    // The array becomes a's snippets (each name the first time it occurs),
    // then b's whose names a does not have; written to path as "sub".
    bool MergeTwoTable(const COperatorTable& a, const COperatorTable& b, const char* path);
    // A text source merged over a binary library (source snippets win),
    // written over the library; a missing library counts as empty.
    bool Merge2Table(const char* source, const char* library);

    int count() const { return static_cast<int>(snippets_.size()); }
    const std::vector<OperatorSnippet>& snippets() const { return snippets_; }
    // The body the map holds for a name, or null.
    const std::string* LibraryBody(const std::string& name) const;

private:
    std::vector<OperatorSnippet> snippets_;
    std::map<std::string, std::string> library_;
};

// The process's table: rule-base libraries in its map, the function
// library in its array.
extern COperatorTable g_OperatorTable;

// The function library into g_OperatorTable's array, and out again.
bool FuncInit(const char* path);
void FuncExit();

}  // namespace zel
