// The text parts of one hit, refilled for every candidate hit; conditions,
// frequencies, counts and tag outputs read them.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

namespace qav {

class CSplitedRet {
public:
    // Parts hold at most their capacity less one byte.
    static constexpr size_t kWidePartBytes = 40960;    // before, end, left, right
    static constexpr size_t kNarrowPartBytes = 20480;  // match, groups, gaps

    void Clear() {
        for (std::string* part : {&m_Before, &m_End, &m_Left, &m_Right, &m_Match, &m_Group1, &m_Group2,
                                  &m_Group3, &m_Gap12, &m_Gap23})
            part->clear();
        m_Words.clear();
    }

    std::string m_Before;  // before the first group (the hit without groups)
    std::string m_End;     // after the last group (the hit without groups)
    std::string m_Left;    // before the hit
    std::string m_Right;   // after the hit
    std::string m_Match;
    std::string m_Group1;
    std::string m_Group2;
    std::string m_Group3;
    std::string m_Gap12;  // between groups 1 and 2
    std::string m_Gap23;  // between groups 2 and 3
    std::vector<std::string> m_Words;  // words of the hit
};

}  // namespace qav
