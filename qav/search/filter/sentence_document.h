// The document of a sentence. Sentence information records only some
// sentences; the document table covers every one, in the same numbering as
// the sentence information and the document information.
#pragma once

#include <cstdint>

namespace qav {

class CHashTableInfo;
class COrgInfo;
class CQAVEngine;

// The record's document when the sentence has sentence information,
// otherwise the document whose key range holds key (documents may be null);
// false when neither knows the sentence.
bool DocumentOfSentence(const CHashTableInfo& sentences, const COrgInfo* documents, uint64_t key,
                        int64_t& doc);
bool DocumentOfSentence(const CQAVEngine& engine, uint64_t key, int64_t& doc);
// The document table alone: the index of the entry range holding key.
bool DocumentInTable(const COrgInfo& documents, uint64_t key, int64_t& doc);

}  // namespace qav
