// Output rows of a query: texts with counts. A context row has count -1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qav {

struct CFreqEntry;

struct CFinalRectRow {
    std::string text;
    int32_t count = 0;
};

class CFinalRect {
public:
    static constexpr int32_t kContextRow = -1;

    // Room for n rows, none used. Row entries are made as rows are added, so
    // memory follows the rows actually written.
    void FinalRectInit(int n);
    void FinalRectExit();

    // Appends a row; false, with the row counted as left out, when the
    // capacity is reached.
    bool AddRow(std::string text, int32_t count);
    // Appends the row of one frequency map entry (see FreqRowText); false
    // as AddRow.
    bool AddRectEx(const std::string& key, const CFreqEntry& value);
    // No rows, none left out, total 0.
    void Clear();
    // min(n, capacity) rows, each with count 0 and no text; the rest are
    // left out.
    void ResetRows(int n);
    void SetTotalNum(int32_t total) { m_nTotal = total; }
    // Orders the rows by Cmp_Ret: largest count first, equal counts in no
    // fixed order.
    void SortRet();

    std::vector<CFinalRectRow> m_Rows;  // the first m_nCount are the rows
    int m_nCount = 0;
    int m_nCapacity = 0;
    int32_t m_nTotal = 0;
    int64_t m_nLeftOut = 0;  // rows refused for want of room since the last Clear
};

// Row order of frequency lists: -1 when a's count is larger, 0 when equal,
// 1 otherwise.
int Cmp_Ret(const CFinalRectRow& a, const CFinalRectRow& b);

}  // namespace qav
