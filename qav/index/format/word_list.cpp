#include "qav/index/format/word_list.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "common/platform/binary_file.h"
#include "common/platform/file_handle.h"
#include "qav/index/format/index_text_lines.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace {

// Smallest sizes of one entry in each section of the word list file:
// length and identifier, then length alone.
constexpr uint64_t kMinEntryBytesByText = 8;
constexpr uint64_t kMinEntryBytesById = 4;

bool StorableText(const CWord& word) { return word.text.size() <= kMaxWordTextBytes; }

bool ReadWordListFile(qz::BinaryFileReader& in, std::vector<CWord>* byText, std::vector<CWord>* byId) {
    uint32_t n;
    if (!in.U32(&n) || n > in.remaining() / (kMinEntryBytesByText + kMinEntryBytesById)) return false;
    byText->resize(n);
    byId->resize(n);
    for (CWord& word : *byText) {
        uint32_t id;
        if (!in.LengthText(kMaxWordTextBytes + 1, &word.text) || !in.U32(&id) || id >= n) return false;
        word.id = static_cast<int32_t>(id);
    }
    for (uint32_t i = 0; i < n; ++i) {
        CWord& word = (*byId)[i];
        if (!in.LengthText(kMaxWordTextBytes + 1, &word.text)) return false;
        word.id = static_cast<int32_t>(i);
    }
    return in.AtEnd();
}

bool ReadPlainListFile(qz::BinaryFileReader& in, std::vector<CWord>* words) {
    uint32_t n;
    if (!in.U32(&n) || n > in.remaining() / 12) return false;
    words->resize(n);
    for (CWord& word : *words) {
        if (!in.LengthText(kMaxWordTextBytes + 1, &word.text) || !in.I32(&word.count) || !in.I32(&word.id))
            return false;
    }
    return in.AtEnd();
}

}  // namespace

bool CWordList::WordListInitEx(const std::string& path) {
    WordListExit();
    qz::BinaryFileReader in;
    if (!in.Open(path) || !ReadWordListFile(in, &words, &words_by_id)) {
        WordListExit();
        QavLog("Error open %s!\n", path.c_str());
        return false;
    }
    return true;
}

bool CWordList::WordListInit(const std::string& path) {
    WordListExit();
    qz::BinaryFileReader in;
    if (!in.Open(path) || !ReadPlainListFile(in, &words)) {
        WordListExit();
        QavLog("Error open %s!\n", path.c_str());
        return false;
    }
    return true;
}

void CWordList::WordListExit() {
    std::vector<CWord>().swap(words);
    std::vector<CWord>().swap(words_by_id);
}

bool CWordList::Write2FileEx(const std::string& path, const std::string& textPrefix) const {
    if (words.size() != words_by_id.size() || words.size() > UINT32_MAX) return false;
    if (!std::all_of(words.begin(), words.end(), StorableText) ||
        !std::all_of(words_by_id.begin(), words_by_id.end(), StorableText))
        return false;

    const std::string textPath = textPrefix + "_txt";
    qz::FileHandle text(std::fopen(textPath.c_str(), "wb"));
    if (!text) return false;
    qz::BinaryFileWriter out;
    if (!out.Create(path)) return false;

    bool textOk = true;
    out.U32(static_cast<uint32_t>(words.size()));
    for (const CWord& word : words) {
        out.LengthText(word.text);
        out.U32(static_cast<uint32_t>(word.id));
        const std::string line = CountLine(word.text, word.count);
        textOk = textOk && std::fwrite(line.data(), 1, line.size(), text.get()) == line.size();
    }
    for (const CWord& word : words_by_id) out.LengthText(word.text);
    textOk = std::fclose(text.release()) == 0 && textOk;
    return out.Close() && textOk;
}

bool CWordList::Write2File(const std::string& path) const {
    QavLog("open invert %s\n", path.c_str());
    if (words.size() > UINT32_MAX || !std::all_of(words.begin(), words.end(), StorableText)) return false;
    qz::BinaryFileWriter out;
    if (!out.Create(path)) {
        QavLog("Error open %s!\n", path.c_str());
        return false;
    }
    out.U32(static_cast<uint32_t>(words.size()));
    for (const CWord& word : words) {
        out.LengthText(word.text);
        out.I32(word.count);
        out.I32(word.id);
    }
    return out.Close();
}

const CWord* CWordList::No2Word(int64_t id) const {
    if (id < 0 || static_cast<uint64_t>(id) >= words_by_id.size()) return nullptr;
    return &words_by_id[static_cast<size_t>(id)];
}

int32_t CWordList::Word2No(std::string_view text) const {
    auto it = std::lower_bound(words.begin(), words.end(), text,
                               [](const CWord& word, std::string_view key) { return word.text < key; });
    return it != words.end() && it->text == text ? it->id : -1;
}

}  // namespace qav
