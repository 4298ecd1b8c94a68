#include "qav/search/rows/freq_form.h"

#include "common/text/gbk_char.h"
#include "qav/search/filter/splited_ret.h"

namespace qav {

namespace {

bool IsPartLetter(char c) { return c == '1' || c == '2' || c == '3' || c == 'Q'; }

const std::string& PartText(char letter, const CSplitedRet& parts) {
    switch (letter) {
        case '1': return parts.m_Group1;
        case '2': return parts.m_Group2;
        case '3': return parts.m_Group3;
        default: return parts.m_Match;
    }
}

}  // namespace

void ParseObj(const std::string& form, CFreqForm& parsed) {
    parsed.literals.assign(1, std::string());
    parsed.letters.clear();
    if (form.empty()) {
        parsed.letters.push_back('Q');
        parsed.literals.emplace_back();
        return;
    }
    size_t formatBytes = 0;
    size_t at = 0;
    while (at < form.size()) {
        if (form[at] == '$' && at + 1 < form.size() && IsPartLetter(form[at + 1])) {
            if (formatBytes + 2 > kFreqFormatBytes) break;
            parsed.letters.push_back(form[at + 1]);
            parsed.literals.emplace_back();
            formatBytes += 2;
            at += 2;
            continue;
        }
        const size_t step = qz::GbkCharLen(form.data() + at, form.size() - at);
        if (formatBytes + step > kFreqFormatBytes) break;
        parsed.literals.back().append(form, at, step);
        formatBytes += step;
        at += step;
    }
}

std::string BuildFreqKey(const CFreqForm& form, const CSplitedRet& parts) {
    if (form.letters.empty()) return parts.m_Match;
    if (form.letters.size() >= 4) return std::string();
    std::string key = form.literals[0];
    for (size_t i = 0; i < form.letters.size() && key.size() <= kFreqKeyBytes; ++i) {
        key += PartText(form.letters[i], parts);
        key += form.literals[i + 1];
    }
    key.resize(qz::GbkPrefixLength(key, kFreqKeyBytes));
    return key;
}

}  // namespace qav
