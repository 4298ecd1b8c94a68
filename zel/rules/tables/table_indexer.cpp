// The table indexer over text sources: "." or "Table" headers open a table,
// each other line is an item (a key, then its attribute text), and after an
// "Item:" line every line adds to the item it opened.
#include <cstring>

#include "common/platform/file_handle.h"
#include "zel/rules/format/run_switches.h"
#include "zel/rules/format/trim_line.h"
#include "zel/rules/tables/table_functions.h"
#include "zel/rules/tables/whole_text_convert.h"

namespace zel {
namespace {

bool IsSkippedLine(const std::string& line) {
    return !line.empty() && std::strchr("()/[\\]", line[0]) != nullptr;
}

bool IsHeader(const std::string& line) { return line[0] == '.' || line.compare(0, 5, "Table") == 0; }

// A "." header names the table after the dot; a "Table" header after the
// line's last blank (a header without a blank is named by the whole line).
std::string HeaderName(std::string line) {
    TrimLine(line);
    if (line[0] == '.') return line.substr(1);
    size_t blank = line.find_last_of(' ');
    return blank == std::string::npos ? line : line.substr(blank + 1);
}

// Items before the first header are named after the source file.
std::string SourceStem(const char* path) {
    std::string name = path;
    size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

}  // namespace

bool CTableCluster::Idx_IsJSON(const char* path) const {
    qz::FileHandle file = qz::OpenFile(path, "rb");
    std::string line;
    while (file && ReadSourceLine(file.get(), line)) {
        if (line.empty() || IsSkippedLine(line)) continue;
        if (line.compare(0, 5, "Table") == 0) return false;
        if (line.find("\"Table\":") != std::string::npos) return true;
    }
    return false;
}

bool CTableCluster::FinishTable(const std::string& name, const std::vector<std::string>& lines, bool withIndex,
                                int& counter) {
    CTable table;
    bool hasColl = false;
    table.SetTableEx(name.c_str(), lines, withIndex, hasColl);
    bool written = Write2File(name.c_str(), table);
    if (!written) std::printf("Warning:No Write to file");
    if (written && hasColl) g_vIdxTables.push_back(GbkToUtf8(name));
    if (g_showMsg) std::printf("Index %d %s\n", counter, name.c_str());
    ++counter;
    return written;
}

bool CTableCluster::Idx_Batch(const char* path) {
    g_vIdxTables.clear();
    // The path is used as given: "^" stays, as POSIX paths need.
    qz::FileHandle file = qz::OpenFile(path ? path : "", "rb");
    if (!file) return false;
    std::string name = SourceStem(path), line;
    std::vector<std::string> items;
    bool withIndex = false, itemMode = false;
    int counter = 0;
    while (ReadSourceLine(file.get(), line)) {
        if (IsSkippedLine(line)) continue;
        if (!line.empty() && IsHeader(line)) {
            if (!items.empty()) FinishTable(name, items, withIndex, counter);
            name = HeaderName(line);
            items.clear();
            withIndex = true;
            continue;
        }
        if (line.compare(0, 5, "Item:") == 0) {
            items.push_back(line.substr(5) + "$@$");
            itemMode = true;
            if (g_showMsg && items.size() % 100000 == 0) std::printf("Add %zu Items\r", items.size());
            continue;
        }
        if (line.find("IdxKV=Yes") != std::string::npos) withIndex = true;
        if (itemMode) {
            if (!items.empty()) items.back().append(" ").append(line);
        } else if (line.empty()) {
            continue;
        } else if (line[0] == ' ' || line[0] == '\t') {
            if (!items.empty()) items.back().append(line);
        } else {
            TrimLine(line);
            items.push_back(line);
        }
    }
    if (!items.empty()) FinishTable(name, items, withIndex, counter);
    return true;
}

bool TableClusterIdx(const char* path) {
    if (!g_pTableCluster) return false;
    return g_pTableCluster->Idx_IsJSON(path) ? g_pTableCluster->Idx_BatchJSON(path) : g_pTableCluster->Idx_Batch(path);
}

}  // namespace zel
