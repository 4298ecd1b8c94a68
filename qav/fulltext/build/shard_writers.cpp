#include "qav/fulltext/build/shard_writers.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "common/platform/binary_file.h"
#include "common/text/line_reader.h"
#include "common/text/text_utils.h"
#include "qav/fulltext/format/bm_files.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace bm {
namespace {

constexpr size_t kLineBuffer = 102400;

// One run of posting-text lines of a term, collected until the term changes.
class ChunkWriter {
public:
    ChunkWriter(qz::BinaryFileWriter& out, CHashTableBM& table, int shard) : out_(out), table_(table), shard_(shard) {}

    bool Add(const std::string& line) {
        std::vector<std::string> pieces;
        qz::SplitString(line.c_str(), " ", pieces);
        if (pieces.empty()) return true;
        if (pieces[0] != term_ && !Flush()) return false;
        term_ = pieces[0];
        for (size_t i = 1; i < pieces.size(); ++i)
            numbers_.push_back(static_cast<uint32_t>(std::strtoul(pieces[i].c_str(), nullptr, 10)));
        return true;
    }

    bool Flush() {
        if (term_.empty()) return true;
        const uint64_t offset = out_.position();
        if (offset > UINT32_MAX) {
            QavLog("Error: term-to-document shard %d passes 4 GiB\n", shard_);
            return false;
        }
        const size_t postings = numbers_.size() / 3;
        out_.U32(static_cast<uint32_t>(postings));
        for (size_t i = 0; i < postings * 3; ++i) out_.U32(numbers_[i]);
        table_.AddChunk(term_, static_cast<uint32_t>(offset), static_cast<uint8_t>(shard_));
        term_.clear();
        numbers_.clear();
        return true;
    }

private:
    qz::BinaryFileWriter& out_;
    CHashTableBM& table_;
    int shard_;
    std::string term_;
    std::vector<uint32_t> numbers_;
};

}  // namespace

bool Term2DocThread(CHashTableBM& groupTable, const std::string& unitPath, int shard) {
    qz::LineReader lines(PostingTextPath(unitPath, shard), kLineBuffer, qz::LongLines::kSplit);
    qz::BinaryFileWriter out;
    if (!lines.ok() || !out.Create(TermToDocShardPath(unitPath, shard))) {
        QavLog("Error open the posting files of shard %d\n", shard);
        return false;
    }
    ChunkWriter chunks(out, groupTable, shard);
    std::string line;
    while (lines.Next(line) != qz::LineReader::kEnd)
        if (!chunks.Add(line)) return false;
    if (!chunks.Flush()) return false;
    QavLogOnly("Processed %s\n", PostingTextPath(unitPath, shard).c_str());
    return out.Close();
}

bool Doc2TermThread(const CHashTableBM& mergedTable, const std::string& dataPath, int shard) {
    qz::BinaryFileReader in;
    qz::BinaryFileWriter out;
    if (!in.Open(FieldRecordPath(dataPath, shard)) || !out.Create(DocToTermShardPath(dataPath, shard))) {
        QavLog("Error open the field record files of shard %d\n", shard);
        return false;
    }
    std::vector<std::pair<uint32_t, uint32_t>> entries;  // term number, tf
    std::string entryBytes;
    while (!in.AtEnd()) {
        uint32_t tokens = 0;
        uint32_t terms = 0;
        if (!in.U32(&tokens) || !in.U32(&terms) || terms > in.remaining() / 8) return false;
        entries.clear();
        for (uint32_t j = 0; j < terms; ++j) {
            std::string term;
            uint32_t tf = 0;
            if (!in.LengthText(kMaxTermBytes + 1, &term) || !in.U32(&tf)) return false;
            const CHashNodeBM* node = mergedTable.GetHashNode(term);
            if (!node) return false;
            entries.emplace_back(node->termNumber, tf);
        }
        std::sort(entries.begin(), entries.end());
        entryBytes.clear();
        for (const auto& [number, tf] : entries) {
            if (!WriteEncode(number, tf, entryBytes)) {
                QavLog("nID过长！nID=%d\n", static_cast<int>(number));
                return false;
            }
        }
        out.U32(tokens);
        out.U32(terms);
        out.Bytes(entryBytes.data(), entryBytes.size());
    }
    return out.Close();
}

}  // namespace bm

}  // namespace qav
