// What one sentence line of a data text file contributes to the counting pass
// and to the offset pass. Both passes take the line's words and units from
// CollectLineUnits, so they see exactly the same units.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "qav/index/build/count_table.h"
#include "qav/index/engine/hash_table.h"
#include "qav/index/build/pn_info.h"
#include "qav/index/build/sentence_units.h"

namespace qav {

class CConfig;
class CQAVTree;

// The sentence of a data text line: the text after its first tab, or the
// whole line when it has no tab or begins with one.
const char* DataLineSentence(const std::string& line);

// Stores the records of one sentence's unit occurrences of the offset pass,
// in order (a unit left out of the unit list has no room for records; the
// sink drops those). A sentence at a time, so that the sink can look its
// units up as a row.
using UnitRecordSink = std::function<void(const std::vector<IdxUnitEntry>&)>;

// A counted line: its words and units, and the places they have in the
// counting tables, in the same order. The sentence is the counting thread's
// scratch and lasts until its next line.
struct CountedLine {
    const SentenceUnits* sentence = nullptr;
    std::vector<uint32_t> word_places;
    std::vector<uint32_t> unit_places;
};

// Counting pass: every word (type 7) and every unit with count 1. wordCount is
// the number of words the sentence takes in the data file. False when the
// line's tree cannot be read; nothing is counted then. When counted is given,
// a counted line's words, units and places go there.
bool ProcessLine_Count(const char* line, CQAVTree& tree, CountTable& unitHash, CountTable& wordHash, CPNInfo& info,
                       int kind, uint32_t& wordCount, CountedLine* counted = nullptr);
bool ProcessLine_Count_Seg(const char* line, CountTable& unitHash, CountTable& wordHash, CPNInfo& info,
                           const CConfig& config, uint32_t& wordCount);

// Offset pass: writes the identifiers of the sentence's words (u32 each, then
// that of "|" unless the last word is a clause separator) to dataFile, then
// hands the unit occurrences, with fileNo and position filled in, to store.
// False when the tree cannot be read, a word has no identifier (the
// identifiers before it stay written and no record is stored) or the data file
// cannot be written. When bytesWritten is given, the bytes written to
// dataFile are added to it, so that a caller can follow the file's length
// without asking the stream (which costs a system call each time).
bool ProcessLine_Offset(const char* line, CQAVTree& tree, const UnitRecordSink& store, const CHashTable& wordHash,
                        uint8_t fileNo, uint32_t position, FILE* dataFile, CPNInfo& info, int kind,
                        uint64_t* bytesWritten = nullptr);
bool ProcessLine_Offset_Seg(const char* line, const UnitRecordSink& store, const CHashTable& wordHash, uint8_t fileNo,
                            uint32_t position, FILE* dataFile, CPNInfo& info, const CConfig& config,
                            uint64_t* bytesWritten = nullptr);

}  // namespace qav
