#include "zel/lattice/json_input.h"

#include <cjson/cJSON.h>

#include <cstring>
#include <memory>

#include "common/text/encoding.h"
#include "common/text/gbk_char.h"
#include "zel/lattice/attribute_text.h"
#include "zel/lattice/char_class.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/tree_line.h"

namespace zel {

namespace {

constexpr size_t kTagSize = 508;
constexpr size_t kSourceTagSize = 1024;

// Conversions sized from the input, so that no text is cut.
std::string ToGbk(const char* utf8) {
    std::string out(std::strlen(utf8) + 1, '\0');
    int length = cv_utf8_to_gbk(utf8, out.data(), static_cast<int>(out.size()));
    out.resize(length > 0 ? std::min(static_cast<size_t>(length), out.size() - 1) : 0);
    return out;
}

std::string ToUtf8(const char* gbk) {
    std::string out(std::strlen(gbk) * 2 + 1, '\0');
    int length = cv_gbk_to_utf8(gbk, out.data(), static_cast<int>(out.size()));
    out.resize(length > 0 ? std::min(static_cast<size_t>(length), out.size() - 1) : 0);
    return out;
}

std::string FullWidth(const std::string& gbk) {
    std::vector<char> out(kSentenceSize);
    Banjiao2Quanjiao(gbk.c_str(), out.data(), static_cast<int>(out.size()));
    return out.data();
}

const cJSON* Item(const cJSON* object, const char* key, const char* otherKey = nullptr) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    return item || !otherKey ? item : cJSON_GetObjectItemCaseSensitive(object, otherKey);
}

int KindOf(const char* type) {
    if (std::strcmp(type, "Chunk") == 0) return kUnitChunk;
    if (std::strcmp(type, "ReChunk") == 0) return kUnitReChunk;
    if (std::strcmp(type, "Tree") == 0) return kUnitTree;
    if (std::strcmp(type, "Sent") == 0) return kUnitSent;
    return kUnitWord;
}

// One unit string as both passes read it: the word itself for word input,
// a tree line's words, otherwise the words and tags of its sequence. Both
// passes take the same word text, so the units line up with the sentence.
struct UnitText {
    bool present = false;
    std::string text;  // GBK, before width conversion
    std::vector<std::string> words, tags;
    std::string treeLine;  // GBK; empty when the unit is no tree line
    int bracketKind = 0;
};

// False only for a tree line that cannot be read.
bool ReadUnit(const cJSON* element, int kind, CQAVTree& tree, UnitText& unit) {
    if (!cJSON_IsString(element)) return true;
    unit.present = true;
    if (kind == kUnitWord) {
        unit.text = ToGbk(element->valuestring);
        return true;
    }
    std::string gbk = ToGbk(element->valuestring);
    if (IsTreeLine(gbk.c_str(), unit.bracketKind)) {
        if (!tree.ReadTree(gbk.c_str(), unit.bracketKind)) return false;
        tree.SetWordNodeInfo();
        unit.text = tree.RawText();
        unit.treeLine = std::move(gbk);
    } else {
        std::string joined;
        SplitInput(element->valuestring, unit.words, unit.tags, joined, kSentenceSize);
        unit.text = ToGbk(joined.c_str());
    }
    return true;
}

void AddRoot(CLattice& lattice, const std::string& key, const std::string& value) {
    if (lattice.keyValues) lattice.keyValues->Insert2KV(key.c_str(), value.c_str());
}

std::string UnitAt(const std::vector<std::string>& ids, const cJSON* place) {
    if (!cJSON_IsNumber(place)) return "";
    int i = place->valueint;
    return i >= 0 && static_cast<size_t>(i) < ids.size() ? ids[static_cast<size_t>(i)] : "";
}

// Group numbers, relations between each head and its members, and the
// root entries of the key-value table.
void ReadGroups(CLattice& lattice, const cJSON* groups, const std::string& source, const std::vector<std::string>& ids) {
    const cJSON* group = nullptr;
    cJSON_ArrayForEach(group, groups) {
        const std::string headId = UnitAt(ids, Item(group, "HeadID", "Head"));
        CUnit* head = headId.empty() ? nullptr : lattice.GetLatticeUnit(headId.c_str());
        if (!head) continue;
        const std::string groupId = std::to_string(++lattice.groupCounter);
        head->Insert2UnitKV("GroupID", groupId.c_str());
        const cJSON* members = Item(group, "Group", "Dep");
        if (!members) continue;
        bool related = false;
        const cJSON* member = nullptr;
        cJSON_ArrayForEach(member, members) {
            const std::string dependentId = UnitAt(ids, Item(member, "SubID", "Value"));
            CUnit* dependent = dependentId.empty() ? nullptr : lattice.GetLatticeUnit(dependentId.c_str());
            if (dependent) {
                dependent->Insert2UnitKV("GroupID", groupId.c_str());
                const cJSON* role = Item(member, "Role", "Key");
                if (cJSON_IsString(role)) {
                    const std::string roles = ToGbk(role->valuestring);
                    int n = 0;
                    SplitAVEx(roles.c_str(), lattice.workList, n);
                    const std::vector<std::string> names(lattice.workList.begin(), lattice.workList.begin() + n);
                    for (const std::string& r : names) {
                        AddRoot(lattice, "RRoot", r);
                        AddRoot(lattice, "RRoot" + source, r);
                        head->InsertRelationInfo(dependentId.c_str(), source.c_str(), "", r.c_str(), true);
                        dependent->InsertRelationInfo(headId.c_str(), source.c_str(), "", r.c_str(), false);
                        related = true;
                    }
                    lattice.AddRelation(headId.c_str(), dependentId.c_str(), roles.c_str());
                }
            }
            if (related) {
                AddRoot(lattice, "URoot", headId);
                AddRoot(lattice, "URoot" + source, headId);
            }
        }
    }
}

// A unit inside one chunk takes the chunk number of its column.
void NumberChunks(CLattice& lattice) {
    for (int c = 0; c < lattice.columnCount; ++c) {
        CCandidate& column = lattice.columns[static_cast<size_t>(c)];
        for (int i = 1; i < column.unitCount; ++i) {
            CUnit& unit = column.units[static_cast<size_t>(i)];
            if (unit.From <= 0 || unit.To <= 0 || unit.To >= lattice.columnCount) continue;
            if (lattice.columns[static_cast<size_t>(unit.From)].chunkNo ==
                lattice.columns[static_cast<size_t>(unit.To)].chunkNo)
                unit.ChunkID = column.chunkNo;
        }
    }
}

// The first even byte position of needle in haystack: only whole
// characters match.
size_t FindAligned(const std::string& haystack, const std::string& needle) {
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
        if (at % 2 == 0) return at;
    return std::string::npos;
}

}  // namespace

void SplitInput(const char* text, std::vector<std::string>& words, std::vector<std::string>& tags,
                std::string& out, size_t capacity) {
    words.clear();
    tags.clear();
    out.clear();
    std::vector<std::string> tokens;
    std::string token;
    bool protectedStretch = false;
    for (const char* p = text; p && *p; ++p) {
        if (protectedStretch) {
            if (*p == ')' || *p == '"') protectedStretch = false;
            token += *p;
        } else if (*p == ' ' || *p == '\t') {
            if (!token.empty()) tokens.push_back(token);
            token.clear();
        } else {
            if (*p == '(' && p[1] != '/') protectedStretch = true;
            token += *p;
        }
    }
    if (!token.empty()) tokens.push_back(token);

    for (size_t k = 0; k < tokens.size(); ++k) {
        const std::string& t = tokens[k];
        const bool last = k + 1 == tokens.size();
        size_t cut = std::string::npos;
        for (size_t i = 0; i < t.size(); ++i) {
            if (t[i] != '/' || static_cast<unsigned char>(t[i + 1]) >= 0x80) continue;
            cut = i;
            if (!last) break;
        }
        std::string word = t, tag;
        if (cut == 0) {
            word = "/";
            tag = t.substr(1);
        } else if (cut != std::string::npos) {
            word = t.substr(0, cut);
            tag = t.substr(cut + 1);
        }
        if (tag.size() >= 2 && tag.front() == '(' && tag.back() == ')') tag = tag.substr(1, tag.size() - 2);
        if (out.size() + word.size() >= capacity) break;
        out += word;
        words.push_back(word);
        tags.push_back(tag);
    }
}

bool InputJson_Group(CLattice* lattice, const cJSON* json, const char* tag, int& from, int& to) {
    if (!lattice || !cJSON_IsObject(json)) return false;
    std::string source = tag ? tag : "";
    const cJSON* st = Item(json, "ST");
    if (source == "JSON" && cJSON_IsString(st)) source = ToGbk(st->valuestring);
    if (source.size() > kSourceTagSize - 1) source.resize(kSourceTagSize - 1);
    const cJSON* type = Item(json, "Type");
    int kind = cJSON_IsString(type) ? KindOf(ToGbk(type->valuestring).c_str()) : kUnitWord;
    const cJSON* units = Item(json, "Units");
    if (!units && (units = Item(json, "Chunk"))) kind = kUnitChunk;
    if (!units && (units = Item(json, "Word"))) kind = kUnitWord;
    if (!cJSON_IsArray(units)) return false;

    CQAVTree tree;
    std::vector<UnitText> texts;
    std::string sentence;
    const cJSON* element = nullptr;
    cJSON_ArrayForEach(element, units) {
        texts.emplace_back();
        if (!ReadUnit(element, kind, tree, texts.back())) return false;
        // A tree line's sentence text is its full-width words.
        sentence += texts.back().treeLine.empty() ? texts.back().text : tree.NormText();
        if (sentence.size() > kSentenceSize - 1) return false;
    }
    std::vector<char> normalized(kSentenceSize);
    if (!NormalizeOneSentence(sentence.c_str(), normalized.data(), static_cast<int>(normalized.size()))) return false;
    const std::string norm = normalized.data();

    size_t at = lattice->keyValues ? FindAligned(lattice->normSentence, norm) : std::string::npos;
    int start = 0;
    if (at != std::string::npos) {
        start = static_cast<int>(at / 2);
    } else {
        lattice->LatticeInit(true);
        lattice->reservedUnits = 1;
        lattice->BuildInitLattice(sentence.c_str());
    }
    from = start;
    to = start + static_cast<int>(norm.size() / 2) - 1;
    if (kind == kUnitSent) return true;

    const cJSON* posArray = Item(json, "POS", "Tag");
    const bool withTags = cJSON_IsArray(posArray) && static_cast<size_t>(cJSON_GetArraySize(posArray)) == texts.size();
    std::vector<std::string> ids;
    int running = 0, inner = 0;
    std::string id;
    for (size_t i = 0; i < texts.size(); ++i) {
        const UnitText& unit = texts[i];
        if (!unit.present) {
            ids.emplace_back();
            continue;
        }
        const std::string text = FullWidth(unit.text);
        std::string attributes;
        if (withTags) {
            const cJSON* tagItem = cJSON_GetArrayItem(posArray, static_cast<int>(i));
            if (cJSON_IsString(tagItem)) {
                std::string tagText = ToGbk(tagItem->valuestring);
                if (tagText.size() > kTagSize - 1) tagText.resize(kTagSize - 1);
                attributes = "POS=" + tagText;
            }
        }
        running += static_cast<int>(text.size() / 2);
        lattice->AddNewUnit(start - 1 + running, text.c_str(), kind, id, -1, true, attributes.c_str());
        ids.push_back(id);
        if (kind == kUnitWord) continue;
        if (!unit.treeLine.empty()) {
            if (!tree.ReadTree(unit.treeLine.c_str(), unit.bracketKind)) return false;
            tree.SetWordNodeInfo();
            tree.SetLattice(lattice);
            tree.Add2Lattice(false, false, start + inner, source.c_str(), id.c_str());
            if (!id.empty()) AddRoot(*lattice, "URoot", id);
            inner += static_cast<int>(text.size() / 2);
            continue;
        }
        if (unit.tags.size() == 1 && unit.tags[0].empty()) {
            inner += static_cast<int>(text.size() / 2);
            continue;
        }
        for (size_t w = 0; w < unit.words.size(); ++w) {
            const std::string word = FullWidth(ToGbk(unit.words[w].c_str()));
            inner += static_cast<int>(word.size() / 2);
            std::string wordId;
            if (!lattice->AddNewUnit(start - 1 + inner, word.c_str(), kUnitWord, wordId, -1, true, "")) continue;
            if (!unit.tags[w].empty())
                lattice->GetLatticeUnit(wordId.c_str())->Insert2UnitKV("POS", ToGbk(unit.tags[w].c_str()).c_str());
        }
    }

    const cJSON* groups = Item(json, "Groups");
    if (!groups && (groups = Item(json, "Deps"))) source = "Dep";
    if (!groups) return true;
    ReadGroups(*lattice, groups, source, ids);
    NumberChunks(*lattice);
    return true;
}

bool InputJson(CLattice* lattice, const char* text, const char* tag, int& from, int& to) {
    if (!text || !std::strchr(text, '{')) return false;
    const std::string utf8 = ToUtf8(text);
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(utf8.c_str()), cJSON_Delete);
    if (!json) return false;
    return InputJson_Group(lattice, json.get(), tag, from, to);
}

bool InputData(CLattice* lattice, const char* text, int& from, int& to) {
    if (!lattice || !text) return true;
    if (InputJson(lattice, text, "file", from, to)) return true;
    std::string plain = text;
    plain.resize(qz::GbkPrefixLength(plain, kSentenceSize));
    lattice->LatticeBuild(plain.c_str());
    return true;
}

}  // namespace zel
