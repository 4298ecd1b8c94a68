#include "qav/search/atom/atom_query.h"

#include <cstdlib>

#include "common/text/gbk_char.h"
#include "qav/index/engine/hash_table.h"
#include "qav/index/format/record_compare.h"
#include "qav/search/atom/segment.h"

namespace qav {

namespace {

// Calls f(offset, length) for each character of a GBK text.
template <typename F>
void ForEachChar(std::string_view text, F&& f) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = qz::GbkCharLen(text.data() + i, text.size() - i);
        f(i, length);
        i += length;
    }
}

// At most kMaxTextBytes of text, never ending inside a character.
std::string_view CutText(std::string_view text) {
    size_t end = 0;
    ForEachChar(text, [&](size_t at, size_t length) {
        if (at == end && at + length <= CAtomSearchQuery::kMaxTextBytes) end = at + length;
    });
    return text.substr(0, end);
}

bool IsSingleByte(std::string_view text, size_t at, size_t length, char c) { return length == 1 && text[at] == c; }

}  // namespace

uint32_t GetWaveNum(std::string_view text) {
    uint32_t count = 0;
    ForEachChar(text, [&](size_t at, size_t length) { count += IsSingleByte(text, at, length, '~'); });
    return count;
}

void GetBracketInfo(std::string_view text, bool fromLeft, std::vector<uint32_t>& values) {
    values.clear();
    uint32_t tildes = 0;
    ForEachChar(text, [&](size_t at, size_t length) {
        if (IsSingleByte(text, at, length, '~'))
            ++tildes;
        else if (IsSingleByte(text, at, length, '(') || IsSingleByte(text, at, length, ')'))
            values.push_back(tildes);
    });
    if (!fromLeft)
        for (uint32_t& value : values) value = tildes - value;
}

void GetBracketInfoEx(std::string_view text, std::vector<uint32_t>& values) {
    values.clear();
    auto isSeparator = [](char c) { return c == ' ' || c == ';' || c == ','; };
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSeparator(text[i])) ++i;
        size_t end = i;
        while (end < text.size() && !isSeparator(text[end])) ++end;
        if (end > i) values.push_back(static_cast<uint32_t>(std::atoi(std::string(text.substr(i, end - i)).c_str())));
        i = end;
    }
}

void GetQueryInfo(std::string_view text, std::string& pattern, int& length) {
    pattern.clear();
    int dots = 0;
    ForEachChar(text, [&](size_t at, size_t charLength) {
        if (IsSingleByte(text, at, charLength, '.')) {
            if (pattern.size() < CAtomSearchQuery::kMaxTextBytes) ++dots;
        } else if (pattern.size() + charLength <= CAtomSearchQuery::kMaxTextBytes) {
            pattern.append(text.substr(at, charLength));
        }
    });
    length = static_cast<int>(pattern.size()) + 2 * dots;
}

void CAtomSearchQuery::Clear() {
    unit.clear();
    pattern.clear();
    ids.clear();
    queryLength = 0;
    brackets.clear();
    waves.clear();
    type = UNIT_NONE;
}

bool CAtomSearchQuery::SetASType() {
    type = UnitTypeOfText(unit);
    return type != UNIT_NONE;
}

bool CAtomSearchQuery::GetUnit(const AtomQueryEnv& env, std::string_view text, std::string& key) {
    if (text.empty() || !env.units) return false;
    size_t lastStart = 0;
    ForEachChar(text, [&](size_t at, size_t) { lastStart = at; });
    const std::string_view firstChar = text.substr(0, qz::GbkCharLen(text.data(), text.size()));
    const std::string_view lastChar = text.substr(lastStart);
    std::string first = "<";
    first.append(firstChar);
    std::string last(lastChar);
    last.push_back('>');
    // The first candidate that names an index unit; the first one when neither does.
    if (!env.units->GetHashNode(first) && env.units->GetHashNode(last))
        key = std::move(last);
    else
        key = std::move(first);
    return true;
}

void CAtomSearchQuery::Query2IDs(const AtomQueryEnv& env) {
    ids.clear();
    if (!env.wordList) return;
    if (env.language == kLanguageChinese) {
        if (type == UNIT_HZ_R || type == UNIT_POS_R)
            Segment_L2R(*env.wordList, pattern, ids, kMaxIds);
        else
            Segment_R2L(*env.wordList, pattern, ids, kMaxIds);
    } else if (env.language == kLanguageEnglish) {
        Sent2ID(*env.wordList, pattern, ids, kMaxIds);
    }
}

void CAtomSearchQuery::SetWaveLineInfo(std::string_view w1, std::string_view w2, std::string_view w3,
                                       std::string_view w4) {
    waves.clear();
    const std::string_view strings[] = {w1, w2, w3, w4};
    for (uint32_t i = 0; i < 4; ++i) waves.push_back({GetWaveNum(strings[i]), i});
}

void CAtomSearchQuery::SetBracketInfo(std::string_view w1, std::string_view w2, std::string_view w3,
                                      std::string_view w4) {
    brackets.clear();
    std::vector<uint32_t> values;
    auto add = [&](std::string_view text, bool fromLeft, uint32_t markKind) {
        GetBracketInfo(text, fromLeft, values);
        for (uint32_t value : values) brackets.push_back({value, markKind});
    };
    add(w1, true, 0);
    if (type == UNIT_ML) {
        add(w3, true, 2);
        add(w4, true, 3);
    }
    add(w2, false, 1);
}

void CAtomSearchQuery::SetBracketInfoEx(std::string_view b1, std::string_view b2, std::string_view b3,
                                        std::string_view b4) {
    brackets.clear();
    std::vector<uint32_t> values;
    auto add = [&](std::string_view text, uint32_t markKind) {
        GetBracketInfoEx(text, values);
        for (uint32_t value : values) brackets.push_back({value, markKind});
    };
    add(b1, 0);
    add(b2, 1);
    if (type == UNIT_ML) {
        add(b3, 2);
        add(b4, 3);
    }
}

bool CAtomSearchQuery::SetUnitAndPattern(const AtomQueryEnv& env, std::string_view unitText,
                                         std::string_view patternText) {
    Clear();
    unit.assign(CutText(unitText));
    std::string_view source = patternText;
    std::string plainText;
    if (!SetASType()) {
        std::string key;
        if (!GetUnit(env, unit, key)) {
            Clear();
            return false;
        }
        plainText.swap(unit);
        unit = std::move(key);
        SetASType();
        source = plainText;
    }
    GetQueryInfo(source, pattern, queryLength);
    Query2IDs(env);
    return true;
}

bool CAtomSearchQuery::SetAtomSearchQuery(const AtomQueryEnv& env, std::string_view unitText,
                                          std::string_view patternText, std::string_view wave1,
                                          std::string_view wave2, std::string_view wave3, std::string_view wave4) {
    if (!SetUnitAndPattern(env, unitText, patternText)) return false;
    SetWaveLineInfo(wave1, wave2, wave3, wave4);
    SetBracketInfo(wave1, wave2, wave3, wave4);
    return true;
}

bool CAtomSearchQuery::SetAtomSearchQueryEx(const AtomQueryEnv& env, std::string_view unitText,
                                            std::string_view patternText, std::string_view wave1,
                                            std::string_view wave2, std::string_view wave3, std::string_view wave4,
                                            const char* bracket1, const char* bracket2, const char* bracket3,
                                            const char* bracket4) {
    if (!bracket1 || !bracket2 || !bracket3 || !bracket4)
        return SetAtomSearchQuery(env, unitText, patternText, wave1, wave2, wave3, wave4);
    if (!SetUnitAndPattern(env, unitText, patternText)) return false;
    SetWaveLineInfo(wave1, wave2, wave3, wave4);
    SetBracketInfoEx(bracket1, bracket2, bracket3, bracket4);
    return true;
}

}  // namespace qav
