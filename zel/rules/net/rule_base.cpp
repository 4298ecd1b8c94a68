#include "zel/rules/net/rule_base.h"

#include <cstdio>

#include "common/platform/file_handle.h"
#include "zel/lattice/error_msg.h"
#include "zel/rules/format/byte_reader.h"
#include "zel/rules/format/rule_hash.h"

namespace zel {

CRuleBase* g_pRuleBase = nullptr;

void ToUpper(std::string& text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

Hash_Table_Rule::Hash_Table_Rule(int size) : buckets_(static_cast<size_t>(size > 0 ? size : 1)) {}

void Hash_Table_Rule::Update(const std::string& name, CRuleNet* net) {
    buckets_[hashValue(name, static_cast<uint32_t>(buckets_.size()))][name] = net;
}

CRuleNet* Hash_Table_Rule::Lookup(const std::string& name) const {
    const auto& bucket = buckets_[hashValue(name, static_cast<uint32_t>(buckets_.size()))];
    auto found = bucket.find(name);
    return found == bucket.end() ? nullptr : found->second;
}

bool CRuleBase::RuleBaseInit(const char* idxPath, const char* datPath, int hashSize,
                             std::vector<CRuleNet*>& loaded) {
    hashSize_ = hashSize;
    std::string idx;
    qz::FileHandle dat = qz::OpenFile(datPath, "rb");
    if (!dat || !qz::ReadWholeFile(idxPath, idx)) return false;
    ByteReader in(idx);
    int32_t count;
    if (!in.I32(count) || count < 1) return true;
    for (int32_t i = 0; i < count; ++i) {
        FsaIndexEntry entry;
        if (!ReadFsaIndexEntry(in, entry)) {
            _ErrorMsg("Error Read Net %s\n", datPath);
            return false;
        }
        if (entry.offset == kFsaNoBlock) continue;
        auto net = std::make_unique<CRuleNet>();
        net->libraries = std::move(entry.libraries);
        net->defaults = std::move(entry.defaults);
        net->conditions = std::move(entry.conditions);
        // A network whose block cannot be read is dropped here, not kept.
        if (!net->ReadNetDat(dat.get(), entry.offset)) {
            _ErrorMsg("Error Read Net %s\n", datPath);
            return false;
        }
        loaded.push_back(net.get());
        UpdateRuleNet(entry.name.c_str(), net.get());
        nets.push_back(std::move(net));
    }
    return true;
}

void CRuleBase::RuleBaseExit() {
    names_.reset();
    nets.clear();
    singleNets.clear();
}

void CRuleBase::UpdateRuleNet(const char* name, CRuleNet* net) {
    if (!names_) names_ = std::make_unique<Hash_Table_Rule>(hashSize_);
    names_->Update(name, net);
}

bool CRuleBase::UpdateRuleNet(const char* name, const char* path) {
    std::string upper = name;
    ToUpper(upper);
    auto net = std::make_unique<CRuleNet>();
    if (!net->RuleInit(path)) return false;
    UpdateRuleNet(upper.c_str(), net.get());
    singleNets.push_back(std::move(net));
    return true;
}

CRuleNet* CRuleBase::LookupRuleNet(const char* name) const {
    if (!names_ || !name) return nullptr;
    std::string upper = name;
    ToUpper(upper);
    return names_->Lookup(upper);
}

namespace {

bool LoadPair(const std::string& idxPath, const std::string& datPath, int hashSize) {
    std::vector<CRuleNet*> loaded;
    return g_pRuleBase->RuleBaseInit(idxPath.c_str(), datPath.c_str(), hashSize, loaded);
}

}  // namespace

bool GlobalInit_Rule(const std::vector<std::string>& names, const char* folder, int hashSize) {
    if (g_pRuleBase) return true;
    g_pRuleBase = new CRuleBase(hashSize);
    for (const std::string& name : names) {
        std::string idxPath, datPath;
        FsaFileNames(folder, name, idxPath, datPath);
        if (!LoadPair(idxPath, datPath, hashSize)) {
            std::printf("Warning:Error open %s or %s\n", datPath.c_str(), idxPath.c_str());
        }
    }
    return true;
}

bool GlobalInit(const char* idxPath, const char* datPath, int hashSize) {
    if (g_pRuleBase) return true;
    g_pRuleBase = new CRuleBase(hashSize);
    if (!LoadPair(idxPath, datPath, hashSize)) std::printf("Warning:Error open %s or %s\n", idxPath, datPath);
    return true;
}

void GlobalExit() {
    delete g_pRuleBase;
    g_pRuleBase = nullptr;
}

}  // namespace zel
