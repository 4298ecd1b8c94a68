#include "qav/index/build/complex_units.h"

#include <algorithm>
#include <utility>

#include "common/text/gbk_char.h"
#include "qav/index/format/unit_type.h"

namespace qav {

namespace {

// Byte positions of the single-byte "_" characters of a GBK text; a trail
// byte 0x5F is not one.
std::vector<size_t> Underscores(std::string_view text) {
    std::vector<size_t> found;
    for (size_t i = 0; i < text.size(); i += qz::GbkCharLen(text.data() + i, text.size() - i))
        if (text[i] == '_') found.push_back(i);
    return found;
}

// Split at the chosen "_"; without one the whole text is the first part.
std::pair<std::string, std::string> SplitAt(std::string_view text, bool last) {
    const std::vector<size_t> at = Underscores(text);
    if (at.empty()) return {std::string(text), std::string()};
    const size_t cut = last ? at.back() : at.front();
    return {std::string(text.substr(0, cut)), std::string(text.substr(cut + 1))};
}

// The two complex keys of a unit, each with the kind it must read as.
std::vector<std::pair<std::string, UnitType>> ComplexKeysOfKind(std::string_view text, int32_t type) {
    switch (type) {
        case UNIT_POS_L: {
            auto [word, tag] = SplitAt(text, true);
            return {{tag, UNIT_POS_L}, {word + ">", UNIT_HZ_L}};
        }
        case UNIT_POS_R: {
            auto [tag, word] = SplitAt(text, false);
            return {{tag, UNIT_POS_R}, {"<" + word, UNIT_HZ_R}};
        }
        case UNIT_ML: {
            auto [label, word] = SplitAt(text, false);
            return {{label, UNIT_ML}, {word + "@", UNIT_MR}};
        }
        default:
            return {};
    }
}

}  // namespace

std::vector<std::string> ComplexKeys(std::string_view text, int32_t type) {
    // A key that reads as another kind (a character "<", "$" or "|" from the
    // corpus next to the key syntax, or the empty tag of a "c_|" unit, whose
    // "|" names the "|TAG" complex unit) would merge units of two kinds.
    std::vector<std::string> keys;
    for (auto& [key, kind] : ComplexKeysOfKind(text, type))
        if (UnitTypeOfText(key) == kind) keys.push_back(std::move(key));
    return keys;
}

void Add2ChildInfo(std::string_view text, int32_t type, ComplexUnitGroups& groups) {
    for (std::string& key : ComplexKeys(text, type)) groups[std::move(key)].emplace_back(text);
}

ComplexUnitMap OrderedComplexUnits(ComplexUnitGroups&& groups) {
    ComplexUnitMap ordered;
    for (auto& [key, names] : groups) ordered.emplace(key, std::move(names));
    groups.clear();
    return ordered;
}

void Add2ChildInfo_Base(std::string_view chunkText, ComplexUnitMap& map) {
    const size_t cut = chunkText.rfind('_');
    const std::string_view unit = cut == std::string_view::npos ? chunkText : chunkText.substr(0, cut);
    map[std::string(unit)].emplace_back(chunkText);
}

ComplexUnitMap MergeHashBMInfo(ComplexUnitMap complexMap, const ComplexUnitMap& chunkMap) {
    // Lists are rebuilt only where a unit was chunked; the others are kept.
    if (!chunkMap.empty()) {
        for (auto& [key, units] : complexMap) {
            const bool chunked = std::any_of(units.begin(), units.end(),
                                             [&](const std::string& unit) { return chunkMap.count(unit) > 0; });
            if (!chunked) continue;
            std::vector<std::string> list;
            for (std::string& unit : units) {
                auto chunks = chunkMap.find(unit);
                if (chunks == chunkMap.end())
                    list.push_back(std::move(unit));
                else
                    list.insert(list.end(), chunks->second.begin(), chunks->second.end());
            }
            units = std::move(list);
        }
    }
    for (const auto& [unit, chunks] : chunkMap) complexMap[unit] = chunks;
    return complexMap;
}

void WriteSubInfo2File(UnitIndexWriter& out, const ComplexUnitMap& map) {
    out.BeginComplex(static_cast<uint32_t>(map.size()));
    for (const auto& [key, children] : map) out.AddComplex(key, children);
}

}  // namespace qav
