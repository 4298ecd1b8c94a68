#include <lua.hpp>

#include "zel/lattice/error_msg.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"
#include "zel/lattice/lua_state.h"
#include "zel/lattice/scripting_hooks.h"

namespace zel {

namespace {
constexpr int kLatticeTableBuckets = 2048;
}  // namespace

CLattice::CLattice() = default;

CLattice::~CLattice() {
    LatticeExit(true);
    LatticeDestroyed(this);
}

int CLattice::AncestorCount() const {
    int count = 0;
    for (const CLattice* up = parent_; up; up = up->parent_) ++count;
    return count;
}

void CLattice::EmptyForSentence() {
    workCount = dictUnitCount = 0;
    ClearErrorMsg();
    sentence.clear();
    normSentence.clear();
    columnCount = 0;
    chunkCounter = groupCounter = 0;
    pathLength = chosenCount = 0;
    returnText.clear();
    ruleSets.clear();
    bracketParser.Reset();
    clauseRangeCount = 0;
    if (relations) relations->Clear();
    if (keyValues) keyValues->Clear();
    if (msgBuff) msgBuff[0] = '\0';
}

void CLattice::EmptyChain() {
    for (CLattice* l = this; l; l = l->child_.get()) l->EmptyForSentence();
}

bool CLattice::CreateResources() {
    // The buffer only ever receives captured Lua output, so it is made only
    // while capture is on: a megabyte per lattice is not spent for nothing.
    if (!msgBuff && g_bIsOutMsg) {
        ownMsgBuff_.reset(new char[kLatticeMsgSize]);
        ownMsgBuff_[0] = '\0';
        msgBuff = ownMsgBuff_.get();
    }
    for (std::unique_ptr<CKVTable>* table : {&relations, &keyValues}) {
        if (*table) continue;
        *table = std::make_unique<CKVTable>();
        (*table)->New_Table(kLatticeTableBuckets);
    }
    if (!L) {
        L = NewLatticeLuaState();
        if (!L) return false;
        ownsState_ = true;
        lua_setlattiace(L, this);
    }
    if (ownsState_) lua_setmsgbuff(L, g_bIsOutMsg ? msgBuff : nullptr, kLatticeMsgSize);
    return true;
}

bool CLattice::LatticeInit(bool full) {
    if (!full) {
        EmptyChain();
        return true;
    }
    EmptyForSentence();
    if (AncestorCount() > kMaxAncestors) return false;
    CreateResources();
    if (!child_) {
        child_ = std::make_unique<CLattice>();
        child_->parent_ = this;
    }
    // The chain below shares this lattice's state and buffer.
    for (CLattice* below = child_.get(); below; below = below->child_.get()) {
        below->L = L;
        below->msgBuff = msgBuff;
    }
    child_->EmptyChain();
    return true;
}

bool CLattice::LatticeExit(bool full) {
    // Nested lattices go first: they share this lattice's state.
    child_.reset();
    if (!full) return true;
    relations.reset();
    keyValues.reset();
    if (ownsState_) lua_close(L);
    ownsState_ = false;
    L = nullptr;
    ownMsgBuff_.reset();
    msgBuff = nullptr;
    // Units point at the unit tables: drop the columns with them.
    columns.clear();
    columnCount = 0;
    unitTables_.clear();
    sentence.clear();
    normSentence.clear();
    return true;
}

CKVTable* CLattice::NewUnitTable() {
    unitTables_.push_back(std::make_unique<CKVTable>());
    return unitTables_.back().get();
}

}  // namespace zel
