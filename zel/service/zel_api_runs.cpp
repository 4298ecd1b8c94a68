// Exported input, parameters and match paths of a lattice, and the two
// encoding helpers.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "include/zellib.h"
#include "zel/lattice/json_input.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/text_wrappers.h"
#include "zel/rules/net/rule_net.h"
#include "zel/service/answer_rules.h"

namespace zel {
namespace {

constexpr size_t kSentenceBytes = 51200;

CLattice* Of(void* handle) { return static_cast<CLattice*>(handle); }

int32_t ReadInt32(const unsigned char* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// The unit id of match-path position k: a character unit with a head
// answers its head (one step), a marked placeholder its column's
// placeholder.
std::string PathUnitId(CLattice& lattice, int k) {
    const CMatchNodeEx& node = lattice.matchPath[static_cast<size_t>(k)];
    if (node.index < 0) return UnitIdText({node.column, 0});
    UnitId id{node.column, node.index};
    CUnit* unit = lattice.GetUnit(id);
    if (!unit) return {};
    if (unit->id.second == 1 && unit->links.head.first != -1 && unit->links.head.second != -1) {
        UnitId headId = unit->links.head;
        if (CUnit* head = lattice.GetUnit(headId)) unit = head;
    }
    if (unit->id.second < 0) return UnitIdText({unit->id.first, 0});
    return UnitIdText(unit->id);
}

int PathLength(const CLattice& lattice) {
    return std::min(lattice.pathLength, static_cast<int>(lattice.matchPath.size()));
}

}  // namespace
}  // namespace zel

using namespace zel;

extern "C" {

int ZEL_SetText(void* handle, const char* text) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string gbk = ToGbk(text).substr(0, kSentenceBytes - 1);
    int from = 0, to = 0;
    InputData(lattice, gbk.c_str(), from, to);
    return 1;
}

int ZEL_AddStructure(void* handle, const char* json) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    int from = 0, to = 0;
    return InputJson(lattice, ToGbk(json).c_str(), "JSON", from, to) ? 1 : 0;
}

int ZEL_GetParam(void* handle, const char* name, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice || !lattice->currentRuleNet) return 0;
    std::string value;
    if (!lattice->currentRuleNet->GetParam(lattice, ToGbk(name).c_str(), value)) return 0;
    return AnswerText(ToUtf8(value.substr(0, kSentenceBytes - 1)), out, size);
}

int ZEL_SetFSAPath(void* handle, const void* nodePart) {
    CLattice* lattice = Of(handle);
    if (!lattice || !nodePart) return 0;
    const auto* bytes = static_cast<const unsigned char*>(nodePart);
    const int count = ReadInt32(bytes);
    lattice->pathLength = std::max(count, 0);
    // The part carries no total size: each record is trusted as far as its
    // own length, and a record too short for its three numbers ends the path.
    size_t at = 4;
    for (int i = 0; i < count; ++i) {
        const int32_t recordLength = ReadInt32(bytes + at);
        if (recordLength < 12) {
            lattice->pathLength = i;
            break;
        }
        if (lattice->matchPath.size() < static_cast<size_t>(i) + 1) lattice->matchPath.emplace_back();
        lattice->matchPath[static_cast<size_t>(i)].Decode(reinterpret_cast<const char*>(bytes + at + 4), recordLength);
        at += 4 + static_cast<size_t>(recordLength);
    }
    return 1;
}

int ZEL_GetFSANodeByInt(void* handle, int n) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    return n == -1 ? PathLength(*lattice) : n;
}

int ZEL_GetFSANodeByTag(void* handle, const char* reference) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    int from = 0, to = 0;
    if (!lattice->GetNodeNo(ToGbk(reference).c_str(), from, to)) return 0;
    return from >= 0 && from < PathLength(*lattice) ? from : 0;
}

int ZEL_GetUnitByInt(void* handle, int n, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const int count = PathLength(*lattice);
    const int k = n >= 0 ? count - 1 - n : -n - 1;
    if (k < 0 || k >= count) return AnswerEmpty(out, size);
    const std::string id = PathUnitId(*lattice, k);
    if (id.empty()) return AnswerEmpty(out, size);
    return AnswerText(id, out, size);
}

int ZEL_GetUnitByStr(void* handle, const char* reference, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string gbk = ToGbk(reference);
    int from = 0, to = 0;
    if (gbk.empty() || gbk[0] != '$' ||
        !lattice->GetTagNoInfo(gbk.c_str() + 1, from, to, lattice->matchPath, PathLength(*lattice)))
        return AnswerEmpty(out, size);
    return ZEL_GetUnitByInt(handle, PathLength(*lattice) - 1 - from, out, size);
}

char* ZEL_GbkToUtf8(const char* gbk) {
    static char szU8[kConvertSize];
    szU8[0] = '\0';
    if (gbk) GBK2UTF8(gbk, szU8);
    return szU8;
}

char* ZEL_Utf8ToGbk(const char* utf8) {
    static char szGB[kConvertSize];
    szGB[0] = '\0';
    if (utf8) UTF8_2_GBK(utf8, szGB);
    return szGB;
}

}  // extern "C"
