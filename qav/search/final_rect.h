// Output rows of a query: texts with counts. A context row has count -1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

    // Appends a row; false when the capacity is reached.
    bool AddRow(std::string text, int32_t count);

    std::vector<CFinalRectRow> m_Rows;  // the first m_nCount are the rows
    int m_nCount = 0;
    int m_nCapacity = 0;
    int32_t m_nTotal = 0;
};
