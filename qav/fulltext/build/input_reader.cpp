#include "qav/fulltext/build/input_reader.h"

#include <cstdint>
#include <map>

#include "common/platform/byte_codec.h"
#include "common/platform/file_handle.h"
#include "common/text/line_reader.h"
#include "qav/fulltext/build/split_line.h"
#include "qav/fulltext/format/bm_files.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace bm {
namespace {

constexpr size_t kLineBuffer = 102400;
constexpr uint64_t kMaxOffset = UINT32_MAX;

bool StartsWith(const std::string& line, std::string_view prefix) { return line.compare(0, prefix.size(), prefix) == 0; }

// State of one input thread across the files of its group.
class GroupReader {
public:
    explicit GroupReader(CThreadInfoBM& thread)
        : thread_(thread), config_(*thread.config), table_(*thread.table) {}

    bool Run();

private:
    bool OpenOutputs();
    bool ReadFile(const std::string& path);
    bool ReadLine(const std::string& line);
    // Field number of a configured field name; -1 otherwise.
    int FieldNumber(const std::string& name) const;
    bool FlushField(int field);
    bool WriteDocument();
    void WriteBufferedPostings();

    CThreadInfoBM& thread_;
    const CConfig& config_;
    CHashTableBM& table_;
    qz::FileHandle fieldRecords_, groupDocs_, postingText_, fieldTexts_, docInfos_, pids_;

    uint64_t fieldRecordPos_ = 0;  // offset of the next record in the document-to-term shard
    uint64_t docOffset_ = 0;       // ".orx" offset of the current document
    int64_t fieldTextPos_ = 0;     // ".ori" offset of the next field text
    uint64_t lineCount_ = 0;
    std::map<std::string, std::string> info_;  // kept from one "#Global " line to the next
    std::string docName_;
    std::map<int, std::vector<std::vector<std::string>>> flushed_;  // field -> line lists
    uint32_t documents_ = 0;

    // Per file.
    std::string currentField_;
    std::string nextField_;
    std::vector<std::string> pending_;
};

int GroupReader::FieldNumber(const std::string& name) const {
    for (size_t f = 0; f < config_.m_Field.size(); ++f)
        if (config_.m_Field[f] == name) return static_cast<int>(f);
    return -1;
}

bool GroupReader::OpenOutputs() {
    const CFileInfo& paths = config_.m_FileInfo;
    const int i = thread_.number;
    fieldRecords_ = qz::OpenFile(FieldRecordPath(paths.Data, i), "wb");
    groupDocs_ = qz::OpenFile(GroupDocPath(paths.OrgDat, i), "wb");
    postingText_ = qz::OpenFile(PostingTextPath(paths.Unit, i), "wb");
    fieldTexts_ = qz::OpenFile(FieldTextPath(paths.Data, i), "wb");
    docInfos_ = qz::OpenFile(DocInfoPath(paths.Data, i), "wb");
    pids_ = qz::OpenFile(ShardPidPath(paths.Data, i), "wb");
    return fieldRecords_ && groupDocs_ && postingText_ && fieldTexts_ && docInfos_ && pids_;
}

bool GroupReader::FlushField(int field) {
    std::map<std::string, uint32_t> tf;  // ascending bytewise, the record's order
    uint32_t tokens = 0;
    for (const std::string& line : pending_) {
        const std::vector<std::string> words =
            SplitLine(line, config_.m_StopWord, config_.m_StopPOS, config_.m_DelNumber);
        tokens += static_cast<uint32_t>(words.size());
        for (const std::string& word : words) {
            table_.AddWord(word, static_cast<uint32_t>(fieldRecordPos_), static_cast<uint32_t>(docOffset_),
                           static_cast<uint8_t>(field), postingText_.get());
            ++tf[word];
        }
    }
    std::string record;
    qz::bytes::Append<uint32_t>(record, tokens);
    qz::bytes::Append<uint32_t>(record, static_cast<uint32_t>(tf.size()));
    for (const auto& [word, count] : tf) {
        qz::bytes::Append<uint32_t>(record, static_cast<uint32_t>(word.size()));
        record += word;
        qz::bytes::Append<uint32_t>(record, count);
    }
    fwrite(record.data(), 1, record.size(), fieldRecords_.get());

    flushed_[field].push_back(std::move(pending_));
    pending_.clear();
    ++table_.m_FieldDocs[field];
    table_.m_FieldTokens[field] += tokens;
    fieldRecordPos_ += 8 + kDocTermEntryBytes * tf.size();
    if (fieldRecordPos_ > kMaxOffset) {
        QavLog("Error: document-to-term shard %d passes 4 GiB\n", thread_.number);
        return false;
    }
    return true;
}

bool GroupReader::WriteDocument() {
    std::string record;
    for (const std::string& key : config_.m_DocInfo) {
        const auto it = info_.find(key);
        const std::string value = it == info_.end() ? std::string() : it->second;
        qz::bytes::Append<uint32_t>(record, static_cast<uint32_t>(value.size()));
        record += value;
    }
    // Every configured field is written, an absent one with length 0, so
    // that each record has the layout its reader expects.
    for (size_t f = 0; f < config_.m_Field.size(); ++f) {
        const auto it = flushed_.find(static_cast<int>(f));
        const std::string text = it == flushed_.end() ? std::string() : FieldText(it->second);
        fwrite(text.data(), 1, text.size(), fieldTexts_.get());
        qz::bytes::Append<int64_t>(record, fieldTextPos_);
        qz::bytes::Append<uint32_t>(record, static_cast<uint32_t>(text.size()));
        fieldTextPos_ += static_cast<int64_t>(text.size());
    }
    fwrite(record.data(), 1, record.size(), docInfos_.get());
    fprintf(pids_.get(), "%s %lld\n", docName_.c_str(),
            static_cast<long long>(DocKey(thread_.number, static_cast<uint32_t>(docOffset_))));
    docOffset_ += record.size();
    flushed_.clear();
    ++documents_;
    if (docOffset_ > kMaxOffset) {
        QavLog("Error: document file %s passes 4 GiB\n", DocInfoPath(config_.m_FileInfo.Data, thread_.number).c_str());
        return false;
    }
    return true;
}

bool GroupReader::ReadLine(const std::string& line) {
    if (StartsWith(line, "#Global ")) {
        if (!GetLineInfo(std::string_view(line).substr(8), info_)) {
            QavLog("%zu : %s\n", static_cast<size_t>(0), line.c_str());
            QavLog("Error data format \n");
            return false;
        }
        const auto name = info_.find(config_.m_DocIDName);
        docName_ = name == info_.end() ? std::string() : name->second;
        return true;
    }
    if (StartsWith(line, "#Group ")) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            QavLog("Warning:%s\n", line.c_str());
        } else {
            nextField_ = line.substr(equals + 1);
        }
        const int field = FieldNumber(currentField_);
        currentField_ = nextField_;
        if (field < 0) {
            pending_.clear();
            return true;
        }
        return pending_.empty() || FlushField(field);
    }
    if (StartsWith(line, "Table")) {
        const int field = FieldNumber(currentField_);
        if (field >= 0) {
            currentField_ = nextField_;
            if (!pending_.empty() && !FlushField(field)) return false;
        }
        return flushed_.empty() || WriteDocument();
    }
    if (StartsWith(line, "Item:")) {
        pending_.push_back(line.substr(5));
        return true;
    }
    QavLog("Warning:%s\n", line.c_str());
    return true;
}

bool GroupReader::ReadFile(const std::string& path) {
    currentField_ = " ";
    nextField_ = " ";
    pending_.clear();
    qz::LineReader lines(path, kLineBuffer, qz::LongLines::kSplit);
    if (!lines.ok()) {
        QavLog("Error open %s\n", path.c_str());
        return false;
    }
    std::string line;
    while (lines.Next(line) != qz::LineReader::kEnd) {
        if (++lineCount_ % 10000 == 0)
            QavLogOnly("Thread %d Line %llu\n", thread_.number, static_cast<unsigned long long>(lineCount_));
        if (!ReadLine(line)) return false;
    }
    // The file ends the document as "Table" would, pending lines included.
    const int field = FieldNumber(currentField_);
    if (field >= 0 && !pending_.empty() && !FlushField(field)) return false;
    return flushed_.empty() || WriteDocument();
}

// Terms below "LowFreq" keep only the postings their full buffers wrote.
void GroupReader::WriteBufferedPostings() {
    for (CHashNodeBM* node : table_.InBucketOrder()) {
        if (static_cast<int64_t>(node->postingCount) >= config_.m_LowFreq && !node->postings.empty())
            WritePostingText(postingText_.get(), *node);
    }
}

bool GroupReader::Run() {
    if (!OpenOutputs()) {
        QavLog("Error open the output files of group %d\n", thread_.number);
        return false;
    }
    for (const std::string& path : thread_.files)
        if (!ReadFile(path)) return false;
    table_.m_nDocNum = documents_;
    WriteBufferedPostings();
    bool ok = true;
    for (qz::FileHandle* file : {&fieldRecords_, &groupDocs_, &postingText_, &fieldTexts_, &docInfos_, &pids_})
        ok = qz::CloseFile(*file) && ok;
    if (!ok) QavLog("Error writing the files of group %d\n", thread_.number);
    return ok;
}

}  // namespace

void ProcessSubThreadTAB(CThreadInfoBM& thread) { thread.ok = GroupReader(thread).Run(); }

}  // namespace bm

}  // namespace qav
