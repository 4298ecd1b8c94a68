#include "qav/index/format/sent_info_file.h"

#include <cstdint>

#include "qav/index/base/qav_log.h"
#include "qav/index/format/word.h"

namespace qav {

namespace {

constexpr uint64_t kRecordBytes = 20;
constexpr uint64_t kMinTagBytes = 4 + 4;

bool ReadAll(qz::BinaryFileReader& in, std::vector<SentInfoTag>* tags, std::vector<SentInfoRecord>* records) {
    int32_t t;
    if (!in.I32(&t) || t < 0 || static_cast<uint64_t>(t) > in.remaining() / kMinTagBytes) return false;
    tags->resize(static_cast<size_t>(t));
    for (SentInfoTag& tag : *tags) {
        int32_t length;
        if (!in.I32(&length) || length < 0 || static_cast<uint32_t>(length) > kMaxWordTextBytes ||
            !in.Text(static_cast<uint32_t>(length), &tag.text) || !in.I32(&tag.id) || tag.id < 0 || tag.id >= t)
            return false;
    }
    int32_t m;
    if (!in.I32(&m) || m < 0 || in.remaining() != static_cast<uint64_t>(m) * kRecordBytes) return false;
    records->resize(static_cast<size_t>(m));
    for (SentInfoRecord& record : *records)
        if (!in.I64(&record.key) || !in.I64(&record.value) || !in.I32(&record.line)) return false;
    return true;
}

}  // namespace

bool SentInfoWriter::Create(const std::string& path, const std::vector<SentInfoTag>& tags) {
    if (!out_.Create(path)) return false;
    ok_ = tags.size() <= INT32_MAX;
    out_.I32(static_cast<int32_t>(tags.size()));
    for (const SentInfoTag& tag : tags) {
        if (tag.text.size() > kMaxWordTextBytes) ok_ = false;
        out_.I32(static_cast<int32_t>(tag.text.size()));
        out_.Bytes(tag.text.data(), tag.text.size());
        out_.I32(tag.id);
    }
    count_at_ = out_.position();
    out_.I32(0);
    return true;
}

void SentInfoWriter::AddRecord(const SentInfoRecord& record) {
    out_.I64(record.key);
    out_.I64(record.value);
    out_.I32(record.line);
    ++records_;
}

bool SentInfoWriter::Close() {
    if (records_ > INT32_MAX) ok_ = false;
    out_.PatchU32(count_at_, static_cast<uint32_t>(records_));
    return out_.Close() && ok_;
}

bool ReadSentInfoFile(const std::string& path, std::vector<SentInfoTag>* tags,
                      std::vector<SentInfoRecord>* records) {
    tags->clear();
    records->clear();
    qz::BinaryFileReader in;
    if (!in.Open(path) || !ReadAll(in, tags, records)) {
        tags->clear();
        records->clear();
        QavLog("Warning: open %s fail!\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace qav
