#include "qav/fulltext/format/term_table_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/platform/binary_file.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace bm {
namespace {

void WriteCountPairs(qz::BinaryFileWriter& out, const std::map<uint32_t, uint32_t>& pairs) {
    out.U32(static_cast<uint32_t>(pairs.size()));
    for (const auto& [field, count] : pairs) {
        out.U32(field);
        out.U32(count);
    }
}

bool ReadCountPairs(qz::BinaryFileReader& in, std::map<uint32_t, uint32_t>& pairs) {
    uint32_t count = 0;
    if (!in.U32(&count) || count > in.remaining() / 8) return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t field = 0;
        uint32_t value = 0;
        if (!in.U32(&field) || !in.U32(&value)) return false;
        pairs[field] = value;
    }
    return true;
}

}  // namespace

double Idf(uint32_t documents, uint32_t df) {
    const uint32_t others = documents - df;
    return std::log((others + 0.5) / (df + 0.5) + 1);
}

bool WriteTermList(const std::string& path, CHashTableBM& table) {
    qz::BinaryFileWriter out;
    if (!out.Create(path)) return false;
    out.U32(table.m_nDocNum);
    WriteCountPairs(out, table.m_FieldDocs);
    WriteCountPairs(out, table.m_FieldTokens);
    for (const CHashNodeBM* node : table.InBucketOrder()) {
        if (node->name.empty()) continue;
        out.LengthText(node->name);
        out.U32(node->termNumber);
        out.U32(node->df);
        out.U32(node->postingCount);
        out.U32(static_cast<uint32_t>(node->chunkOffsets.size()));
        for (size_t i = 0; i < node->chunkOffsets.size(); ++i) {
            out.U32(node->chunkOffsets[i]);
            out.U8(node->chunkShards[i]);
        }
    }
    return out.Close();
}

bool LoadTermList(const std::string& path, CHashTableBM& table) {
    qz::BinaryFileReader in;
    if (!in.Open(path)) return false;
    if (!in.U32(&table.m_nDocNum) || !ReadCountPairs(in, table.m_FieldDocs) ||
        !ReadCountPairs(in, table.m_FieldTokens))
        return false;
    for (const auto& [field, tokens] : table.m_FieldTokens) {
        const auto docs = table.m_FieldDocs.find(field);
        const uint32_t average = docs == table.m_FieldDocs.end() || docs->second == 0 ? 0 : tokens / docs->second;
        table.m_FieldAvgLen[field] = average == 0 ? 1 : average;
    }
    while (!in.AtEnd()) {
        std::string name;
        uint32_t number = 0;
        uint32_t df = 0;
        uint32_t postings = 0;
        uint32_t chunks = 0;
        if (!in.LengthText(kMaxTermBytes + 1, &name) || !in.U32(&number) || !in.U32(&df) || !in.U32(&postings) ||
            !in.U32(&chunks) || chunks > in.remaining() / 5)
            return false;
        CHashNodeBM& node = table.AddLoadedWord(name, number, df, postings);
        for (uint32_t i = 0; i < chunks; ++i) {
            uint32_t offset = 0;
            uint8_t shard = 0;
            if (!in.U32(&offset) || !in.U8(&shard)) return false;
            node.chunkOffsets.push_back(offset);
            node.chunkShards.push_back(shard);
        }
    }
    return true;
}

void CWordListBM::ToWordList(CHashTableBM& table) {
    entries.assign(table.m_nTermCount, WordEntryBM{});
    for (const CHashNodeBM* node : table.InBucketOrder()) {
        if (node->termNumber == kNoTermNumber || node->termNumber >= entries.size()) continue;
        WordEntryBM& entry = entries[node->termNumber];
        entry.word = node->name;
        entry.termNumber = static_cast<int32_t>(node->termNumber);
        entry.idf = static_cast<float>(Idf(table.m_nDocNum, node->df));
    }
}

bool CWordListBM::Write2File(const std::string& path) const {
    const std::string textPath = path + "_InfoXY";
    qz::BinaryFileWriter out;
    if (!out.Create(path)) {
        QavLog("Error open %s!\n", path.c_str());
        return false;
    }
    std::FILE* text = std::fopen(textPath.c_str(), "wb");
    if (!text) {
        QavLog("Error open %s!\n", textPath.c_str());
        return false;
    }
    out.I32(static_cast<int32_t>(entries.size()));
    for (const WordEntryBM& entry : entries) {
        out.I32(static_cast<int32_t>(entry.word.size()));
        out.Bytes(entry.word.data(), entry.word.size());
        out.I32(entry.termNumber);
        uint32_t idfBits = 0;
        static_assert(sizeof idfBits == sizeof entry.idf);
        std::memcpy(&idfBits, &entry.idf, sizeof idfBits);
        out.U32(idfBits);
    }
    std::vector<const WordEntryBM*> byIdf;
    for (const WordEntryBM& entry : entries) byIdf.push_back(&entry);
    std::stable_sort(byIdf.begin(), byIdf.end(), [](const auto* a, const auto* b) { return a->idf > b->idf; });
    for (const WordEntryBM* entry : byIdf) std::fprintf(text, "%s %.6f\n", entry->word.c_str(), entry->idf);
    const bool textOk = std::ferror(text) == 0;
    return (std::fclose(text) == 0) & textOk & out.Close();
}

}  // namespace bm

}  // namespace qav
