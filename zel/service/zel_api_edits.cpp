// Exported edits and predicates of a lattice: units, key-values, relations,
// heads, the lexicon table.
#include <lua.hpp>

#include <cstring>
#include <string>

#include "include/zellib.h"
#include "zel/lattice/attribute_text.h"
#include "zel/lattice/kv_table.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/net/rule_net.h"
#include "zel/service/answer_rules.h"

namespace zel {
namespace {

constexpr size_t kLexiconNameMax = 1023;

CLattice* Of(void* handle) { return static_cast<CLattice*>(handle); }

// Relations added from outside a rule action name the network of the last
// run ("ST") as their source, or "Dyn" without one.
std::string RelationSource(CLattice& lattice) {
    std::string source;
    if (lattice.currentRuleNet) lattice.currentRuleNet->GetParam(&lattice, "ST", source);
    return source.empty() ? "Dyn" : source;
}

}  // namespace
}  // namespace zel

using namespace zel;

extern "C" {

int ZEL_AddUnit(void* handle, int column, const char* word, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    std::string id;
    if (!lattice->AddNewUnit(column, ToGbk(word).c_str(), kUnitWord, id, -1, true, "") || id.empty())
        return AnswerEmpty(out, size);
    return AnswerText(ToUtf8(id), out, size);
}

int ZEL_AddUnitKV(void* handle, const char* unitId, const char* key, const char* value) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string id = ToGbk(unitId);
    CUnit* unit = !id.empty() && id[0] == '(' ? lattice->GetLatticeUnit(id.c_str()) : nullptr;
    if (!unit) return 0;
    unit->Insert2UnitKV(ToGbk(key).c_str(), ToGbk(value).c_str());
    return 1;
}

int ZEL_AddGridKV(void* handle, const char* key, const char* value) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string k = ToGbk(key), v = ToGbk(value);
    if (!k.empty() && !v.empty() && lattice->keyValues) lattice->keyValues->Insert2KV(k.c_str(), v.c_str());
    return 1;
}

int ZEL_AddRelation(void* handle, const char* head, const char* dependent, const char* relation) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string h = ToGbk(head), d = ToGbk(dependent), name = ToGbk(relation);
    CUnit* headUnit = lattice->GetLatticeUnit(h.c_str());
    CUnit* dependentUnit = lattice->GetLatticeUnit(d.c_str());
    if (!headUnit || !dependentUnit) return 0;
    const std::string source = RelationSource(*lattice);
    const char* kind = source == "Dyn" ? "Dyn" : "FSA";
    headUnit->InsertRelationInfo(d.c_str(), source.c_str(), kind, name.c_str(), true);
    dependentUnit->InsertRelationInfo(h.c_str(), source.c_str(), kind, name.c_str(), false);
    lattice->AddRelation(UnitIdText(headUnit->id).c_str(), UnitIdText(dependentUnit->id).c_str(), name.c_str());
    return 1;
}

int ZEL_AddRelationKV(void* handle, const char* head, const char* dependent, const char* relation, const char* key,
                      const char* value) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    lattice->AddRelationKV(ToGbk(head).c_str(), ToGbk(dependent).c_str(), ToGbk(relation).c_str(),
                           ToGbk(key).c_str(), ToGbk(value).c_str());
    return 1;
}

int ZEL_IsUnit(void* handle, const char* reference, const char* condition) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string ref = ToGbk(reference);
    std::string gbk = ToGbk(condition);
    if (ref.empty() || gbk.empty()) return 0;
    int index = 0;
    CUnit* unit = lattice->GetUnit(ref.c_str(), index);
    if (!unit) return 0;
    TransferKV(gbk);
    return unit->CheckAtt(gbk.c_str()) ? 1 : 0;
}

int ZEL_IsRelation(void* handle, const char* head, const char* dependent, const char* relation,
                   const char* expression) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string h = ToGbk(head), d = ToGbk(dependent), name = ToGbk(relation);
    if (h.empty() || d.empty() || name.empty()) return 0;
    const char* text = lattice->GetRelationKVStr(h.c_str(), d.c_str(), name.c_str());
    if (!text) return 0;
    const std::string gbk = ToGbk(expression);
    if (gbk.empty()) return 1;
    CKVTable attributes;
    attributes.Insert2KV(text);
    return attributes.CheckExp(gbk.c_str()) ? 1 : 0;
}

int ZEL_Reduce(void* handle, int from, int to, char* out) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    std::string id;
    if (!lattice->Reduce(from, to, id)) id.clear();
    CUnit* unit = id.empty() ? nullptr : lattice->GetLatticeUnit(id.c_str());
    if (unit && lattice->logOn && lattice->keyValues)
        lattice->keyValues->Insert2KVEx("Log", ("Reduce:" + id + " Word:" + unit->Word + "\n").c_str());
    return AnswerText(id, out, ZEL_ID_BYTES);
}

int ZEL_SetLexicon(void* handle, const char* table) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string name = ToGbk(table);
    if (name.empty() || name.size() > kLexiconNameMax) return 0;
    lattice->lexiconTable = name;
    return 1;
}

int ZEL_AppLexicon(void* handle, const char* text) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string gbk = ToGbk(text);
    if (gbk.empty()) return 0;
    return lattice->Collocation(gbk.c_str(), nullptr, gbk.c_str()) ? 1 : 0;
}

}  // extern "C"

// The rule-action function SetHead of the lattice's own state does the
// linking, so host and rules share one behaviour; an id that names no unit
// changes nothing.
int ZEL_SetHead(void* handle, const char* unitId, const char* headReference) {
    CLattice* lattice = Of(handle);
    if (!lattice || !lattice->L || !unitId || !headReference) return 0;
    lua_State* L = lattice->L;
    const int top = lua_gettop(L);
    if (lua_getglobal(L, "SetHead") == LUA_TFUNCTION) {
        lua_pushstring(L, unitId);
        lua_pushstring(L, headReference);
        lua_pcall(L, 2, 0, 0);
    }
    lua_settop(L, top);
    return 1;
}
