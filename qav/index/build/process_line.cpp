#include "qav/index/build/process_line.h"

#include "qav/index/build/row_look_up.h"
#include "common/platform/byte_codec.h"
#include "qav/index/format/unit_type.h"

namespace qav {

namespace {

// One set of row look-ups per thread, so that a pass does not allocate them per line.
struct SentenceLookUps {
    RowLookUp<CountTable> counted_words;
    RowLookUp<CountTable> counted_units;
    RowLookUp<> words;
};

SentenceLookUps& LookUps() {
    thread_local SentenceLookUps lookUps;
    return lookUps;
}

void CountUnits(const SentenceUnits& sentence, CountTable& unitHash, CountTable& wordHash, uint32_t& wordCount,
                CountedLine* counted) {
    SentenceLookUps& rows = LookUps();
    rows.counted_words.Start(wordHash, sentence.words.size(), [&](size_t i) { return sentence.words[i]; });
    rows.counted_units.Start(unitHash, sentence.units.size(),
                             [&](size_t i) { return std::string_view(sentence.units[i].first.text); });
    if (counted) {
        counted->sentence = &sentence;
        counted->word_places.resize(sentence.words.size());
        counted->unit_places.resize(sentence.units.size());
    }
    rows.counted_words.Walk([&](size_t i, uint64_t hash) {
        const uint32_t place = wordHash.Add(sentence.words[i], UNIT_WORD, 1, hash);
        if (counted) counted->word_places[i] = place;
    });
    rows.counted_units.Walk([&](size_t i, uint64_t hash) {
        const CWord& unit = sentence.units[i].first;
        const uint32_t place = unitHash.Add(unit.text, unit.type, 1, hash);
        if (counted) counted->unit_places[i] = place;
    });
    wordCount = sentence.WordCount();
}

// Identifier of a word, or -1 when the word has none.
int32_t WordId(const CHashTable& wordHash, std::string_view word) {
    const CHashNode* node = wordHash.GetHashNode(word, UNIT_WORD);
    return node ? node->id : -1;
}

bool Write2DatWord(const SentenceUnits& sentence, const CHashTable& wordHash, FILE* dataFile, uint64_t* bytesWritten) {
    std::string bytes;
    bytes.reserve(4 * sentence.WordCount());
    bool complete = true;
    RowLookUp<>& row = LookUps().words;
    row.Start(wordHash, sentence.words.size(), [&](size_t i) { return sentence.words[i]; });
    // Identifiers up to the first word without one.
    row.Walk([&](size_t i, uint64_t hash) {
        if (!complete) return;
        const CHashNode* node = wordHash.GetHashNode(sentence.words[i], UNIT_WORD, hash);
        if (!node || node->id == -1) {
            complete = false;
            return;
        }
        qz::bytes::Append(bytes, static_cast<uint32_t>(node->id));
    });
    if (complete && sentence.closing_bar) {
        int32_t bar = WordId(wordHash, "|");
        if (bar != -1) qz::bytes::Append(bytes, static_cast<uint32_t>(bar));
    }
    const size_t written = fwrite(bytes.data(), 1, bytes.size(), dataFile);
    if (bytesWritten) *bytesWritten += written;
    return complete && written == bytes.size();
}

void Add2IdxUnitBuffer(SentenceUnits& sentence, const UnitRecordSink& store, uint8_t fileNo, uint32_t position) {
    for (IdxUnitEntry& unit : sentence.units) {
        unit.second.file_no = fileNo;
        unit.second.position = position;
    }
    store(sentence.units);
}

bool Offset(SentenceUnits& sentence, const UnitRecordSink& store, const CHashTable& wordHash, uint8_t fileNo,
            uint32_t position, FILE* dataFile, uint64_t* bytesWritten) {
    if (!Write2DatWord(sentence, wordHash, dataFile, bytesWritten)) return false;
    Add2IdxUnitBuffer(sentence, store, fileNo, position);
    return true;
}

// One scratch set per thread, so that a pass does not allocate it per line.
SentenceUnits& Scratch() {
    thread_local SentenceUnits sentence;
    return sentence;
}

}  // namespace

const char* DataLineSentence(const std::string& line) {
    size_t tab = line.find('\t');
    return tab == std::string::npos || tab == 0 ? line.c_str() : line.c_str() + tab + 1;
}

bool ProcessLine_Count(const char* line, CQAVTree& tree, CountTable& unitHash, CountTable& wordHash, CPNInfo& info,
                       int kind, uint32_t& wordCount, CountedLine* counted) {
    SentenceUnits& sentence = Scratch();
    if (!CollectLineUnits(line, tree, info, kind, sentence)) return false;
    CountUnits(sentence, unitHash, wordHash, wordCount, counted);
    return true;
}

bool ProcessLine_Count_Seg(const char* line, CountTable& unitHash, CountTable& wordHash, CPNInfo& info,
                           const CConfig& config, uint32_t& wordCount) {
    SentenceUnits& sentence = Scratch();
    CollectSegUnits(line, info, config, sentence);
    CountUnits(sentence, unitHash, wordHash, wordCount, nullptr);
    return true;
}

bool ProcessLine_Offset(const char* line, CQAVTree& tree, const UnitRecordSink& store, const CHashTable& wordHash,
                        uint8_t fileNo, uint32_t position, FILE* dataFile, CPNInfo& info, int kind,
                        uint64_t* bytesWritten) {
    SentenceUnits& sentence = Scratch();
    if (!CollectLineUnits(line, tree, info, kind, sentence)) return false;
    return Offset(sentence, store, wordHash, fileNo, position, dataFile, bytesWritten);
}

bool ProcessLine_Offset_Seg(const char* line, const UnitRecordSink& store, const CHashTable& wordHash, uint8_t fileNo,
                            uint32_t position, FILE* dataFile, CPNInfo& info, const CConfig& config,
                            uint64_t* bytesWritten) {
    SentenceUnits& sentence = Scratch();
    CollectSegUnits(line, info, config, sentence);
    return Offset(sentence, store, wordHash, fileNo, position, dataFile, bytesWritten);
}

}  // namespace qav
