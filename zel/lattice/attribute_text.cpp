#include "zel/lattice/attribute_text.h"

#include <cstring>

#include "zel/lattice/gbk_step.h"
#include "zel/lattice/kv_table.h"

namespace zel {

namespace {

bool IsItemSeparator(char c) { return c == ' ' || c == '\t' || c == ';'; }
bool IsValueSeparator(char c) { return IsItemSeparator(c) || c == '[' || c == ']'; }

// Appends while the text stays within the item limit; further bytes drop.
void AppendCut(std::string& text, const char* bytes, size_t count) {
    if (text.size() + count <= kItemSize - 1) text.append(bytes, count);
}

void Flush(std::string& current, std::vector<std::string>& out) {
    if (!current.empty()) out.push_back(current);
    current.clear();
}

// Pieces of a value text; with honourQuotes, quotes are removed and stop
// the splitting from the first one on.
std::vector<std::string> SplitPieces(const char* value, bool honourQuotes) {
    std::vector<std::string> pieces;
    std::string current;
    bool quoted = false;
    for (const char* p = value; p && *p;) {
        size_t bytes = GbkCharBytes(p);
        if (bytes == 0) break;
        if (bytes == 1 && honourQuotes && *p == '"') {
            quoted = true;
        } else if (bytes == 1 && !quoted && IsValueSeparator(*p)) {
            Flush(current, pieces);
        } else {
            AppendCut(current, p, bytes);
        }
        p += bytes;
    }
    Flush(current, pieces);
    return pieces;
}

}  // namespace

void SplitAVEx(const char* text, std::vector<std::string>& items, int& n) {
    std::vector<std::string> found;
    std::string current;
    bool protectedStretch = false;
    for (const char* p = text; p && *p;) {
        size_t bytes = GbkCharBytes(p);
        if (bytes == 0) break;
        char c = *p;
        if (bytes == 2) {
            AppendCut(current, p, 2);
        } else if (!protectedStretch && IsItemSeparator(c)) {
            Flush(current, found);
        } else if (c == ']' || (c == '"' && protectedStretch)) {
            // A closing mark belongs to the item and ends it at once.
            AppendCut(current, p, 1);
            Flush(current, found);
            protectedStretch = false;
        } else {
            if (c == '[' || c == '"') protectedStretch = true;
            AppendCut(current, p, 1);
        }
        p += bytes;
    }
    Flush(current, found);
    n = static_cast<int>(found.size());
    for (size_t i = 0; i < found.size(); ++i) {
        if (i == items.size()) items.emplace_back();
        items[i] = std::move(found[i]);
    }
}

void SplitItem(const std::string& item, std::string& key, std::string& value) {
    size_t eq = item.find('=');
    if (eq == std::string::npos) {
        key = "Tag";
        value = item;
    } else {
        key = item.substr(0, eq);
        value = item.substr(eq + 1);
    }
}

std::vector<std::string> SplitValues(const char* value) { return SplitPieces(value, true); }

void TransferKV(std::string& text) {
    std::string out;
    bool dropBlanks = true;  // at the start and right after a bracket
    bool inRun = false;
    for (size_t i = 0; i < text.size();) {
        size_t bytes = GbkCharBytes(text.c_str() + i);
        if (bytes == 0) break;
        char c = text[i];
        if (bytes == 1 && (c == '[' || c == ']')) {
            dropBlanks = true;
        } else if (bytes == 1 && (c == ' ' || c == '\t')) {
            if (!dropBlanks && !inRun) out += '|';
            inRun = !dropBlanks;
        } else {
            out.append(text, i, bytes);
            dropBlanks = inRun = false;
        }
        i += bytes;
    }
    text = std::move(out);
}

// ---- CKVTable operations on attribute text ----

void CKVTable::Insert2KV(const char* text) {
    if (!text || !*text) return;
    std::vector<std::string> items;
    int n = 0;
    SplitAVEx(text, items, n);
    std::string key, value;
    for (int i = 0; i < n; ++i) {
        SplitItem(items[static_cast<size_t>(i)], key, value);
        Insert2KV(key.c_str(), value.c_str());
    }
}

void CKVTable::Insert2KV(const char* key, const char* value) {
    if (!key || !value) return;
    for (const std::string& v : SplitValues(value)) Insert2KVEx(key, v.c_str());
}

void CKVTable::InsertKV2Unit(const char* key, const char* value, const char* unitId) {
    if (!key || !value || !unitId) return;
    std::string indexKey;
    for (const std::string& piece : SplitPieces(value, false)) {
        indexKey.assign(key).append("=").append(piece);
        Insert2KVEx(indexKey.c_str(), unitId);
    }
    if (key[0] == 'U' || key[0] == 'R') {
        indexKey.assign(key).append("=*");
        Insert2KVEx(indexKey.c_str(), unitId);
    }
}

bool CKVTable::IsKV2Unit(const char* key, const char* value, const char* unitId) const {
    if (!key || !value) return false;
    std::string indexKey = std::string(key) + "=" + value;
    return find(indexKey.c_str(), unitId);
}

bool CKVTable::CheckExp(const char* condition) const {
    if (!condition) return true;
    std::string key, value;
    const char* start = condition;
    while (true) {
        const char* end = std::strchr(start, '&');
        size_t length = end ? static_cast<size_t>(end - start) : std::strlen(start);
        if (length > 0) {
            SplitItem(std::string(start, length < kItemSize ? length : kItemSize - 1), key, value);
            if (!find(key.c_str(), value.c_str())) return false;
        }
        if (!end) return true;
        start = end + 1;
    }
}

}  // namespace zel
