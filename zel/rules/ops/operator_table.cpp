#include "zel/rules/ops/operator_table.h"

#include <cstdio>
#include <set>

#include "zel/lattice/error_msg.h"

namespace zel {

COperatorTable g_OperatorTable;

namespace {

bool ReadWhole(const char* path, std::string& bytes) {
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) return false;
    bytes.clear();
    char block[65536];
    size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, n);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool WriteWhole(const char* path, const std::string& bytes) {
    std::FILE* file = path ? std::fopen(path, "wb") : nullptr;
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return (std::fclose(file) == 0) && written;
}

bool ReadLibrary(const char* path, std::vector<OperatorSnippet>& snippets) {
    std::string bytes;
    return ReadWhole(path, bytes) && DecodeOperatorLibrary(bytes, snippets);
}

}  // namespace

bool COperatorTable::ReadInFile(const char* path, const char* mode) {
    std::string text;
    if (!ReadWhole(path, text)) {
        _ErrorMsg("Error open %s\n", path ? path : "");
        return false;
    }
    snippets_ = ParseOperatorSource(text, OperatorModeOf(mode));
    return true;
}

bool COperatorTable::WriteToFile(const char* path, const char* mode) {
    std::string bytes;
    switch (OperatorModeOf(mode)) {
        case OperatorMode::kSub:
            SortOperatorsByName(snippets_);
            bytes = EncodeOperatorLibrary(snippets_);
            break;
        case OperatorMode::kTable:
            bytes = OperatorListing(snippets_);
            break;
        case OperatorMode::kOther:
            return true;
    }
    if (WriteWhole(path, bytes)) return true;
    _ErrorMsg("Error open %s\n", path ? path : "");
    return false;
}

bool COperatorTable::OperatorInit(const char* path) {
    OperatorExit();
    return ReadLibrary(path, snippets_);
}

bool COperatorTable::ReadOneLib(const char* path) {
    std::vector<OperatorSnippet> read;
    if (!ReadLibrary(path, read)) return false;
    for (OperatorSnippet& snippet : read) library_[snippet.name] = std::move(snippet.body);
    return true;
}

bool COperatorTable::MergeTwoTable(const COperatorTable& a, const COperatorTable& b, const char* path) {
    std::vector<OperatorSnippet> merged;
    std::set<std::string> taken;
    for (const COperatorTable* table : {&a, &b})
        for (const OperatorSnippet& snippet : table->snippets_)
            if (taken.insert(snippet.name).second) merged.push_back(snippet);
    snippets_ = std::move(merged);
    return WriteToFile(path, "sub");
}

bool COperatorTable::Merge2Table(const char* source, const char* library) {
    COperatorTable fromSource;
    if (!fromSource.ReadInFile(source, "sub")) return false;
    // A library that exists but cannot be decoded is not overwritten.
    COperatorTable fromLibrary;
    std::string bytes;
    if (ReadWhole(library, bytes) && !DecodeOperatorLibrary(bytes, fromLibrary.snippets_)) return false;
    return MergeTwoTable(fromSource, fromLibrary, library);
}

const std::string* COperatorTable::LibraryBody(const std::string& name) const {
    auto found = library_.find(name);
    return found == library_.end() ? nullptr : &found->second;
}

bool FuncInit(const char* path) { return g_OperatorTable.OperatorInit(path); }

void FuncExit() { g_OperatorTable.OperatorExit(); }

}  // namespace zel
