// Document table of a structured index: the key ranges and names of the
// documents. Keys are sentence keys ((data file << 32) | position), compared
// unsigned; the last document of a build ends at the largest 64-bit value.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qav {

class COrgInfo {
public:
    // Documents as "Org.txt" lists them: end line number and name.
    struct OrgSource {
        std::vector<int64_t> endLines;
        std::vector<std::string> names;
    };

    // Engine side.
    // Loads ORGDAT as n + 1 entries: 0, then the n stored end keys; names
    // of the n documents and an empty last name. False when the file cannot
    // be opened or is damaged (the table then stays empty).
    bool OrgInfoInit(const std::string& path);
    // The entry of the named document holding key (an index of Names()), or
    // -1 when no document with a name holds it.
    int64_t EntryOf(uint64_t key) const;
    // The number in SortedNames() of the name of EntryOf(key), so that
    // numbers compare as the names do; -1 where a table loaded by
    // OrgInfoInit has no such entry. Reads no name.
    int64_t NameNumberOf(uint64_t key) const;
    // The distinct names of a table loaded by OrgInfoInit, ascending.
    const std::vector<std::string>& SortedNames() const { return sortedNames_; }
    // The document holding key: its name and first and last key, inclusive.
    bool GetLimit(uint64_t key, std::string& name, uint64_t& first, uint64_t& last) const;
    // Searches the ascending values[lo..hi]: with flag the document position
    // that GetLimit uses, otherwise the first index whose value is not below
    // key (hi + 1 when there is none); key 0 gives 1, or hi when values[hi]
    // is 0; -1 when lo or hi is negative.
    static int64_t RetNo(uint64_t key, const uint64_t* values, int64_t lo, int64_t hi, bool flag);
    void OrgInfoExit();

    // Build side.
    // "Org.txt" into the document table: end line numbers and names.
    bool InitOrgEx(const std::string& orgText);
    // Writes the table in ORGDAT layout; false when it cannot be written.
    bool WriteOrg(const std::string& path) const;
    // "Org.txt" into the shared build-time tables, with an empty table.
    bool ReadOrg(const std::string& orgText);
    // Shares other's build-time tables; own table empty, same capacity.
    void SetInfo(const COrgInfo& other);
    // Offset pass of the older pipeline: names the document of lineNo and
    // appends the start key of each new document to the table.
    void LineNo2Offset(int64_t lineNo, int64_t& state, uint32_t position, uint32_t group,
                       std::string& name);
    // Replaces each entry's end line number L by idTable[L] (the key of the
    // first sentence after the document); a line past the table gets the
    // largest key.
    void MapEndLinesToKeys(const std::vector<uint64_t>& idTable);
    // "Org.txt" into ORGDAT with the end line numbers left as they are (no
    // identifier file): InitOrgEx, then WriteOrg.
    bool RewriteOrg(const std::string& orgText, const std::string& path);

    // Diagnostics: the document table of an ORGDAT file as text, per entry
    // "#index<TAB>key" and "I:name" lines (the loaded table, with its leading
    // key 0 and its empty last name). False when the file cannot be loaded
    // or the text cannot be written. OutOrg also logs its success.
    bool PrintOrgInfo(const std::string& orgDat, const std::string& textPath);
    bool OutOrg(const std::string& orgDat, const std::string& textPath);

    const std::vector<uint64_t>& Keys() const { return keys_; }
    const std::vector<std::string>& Names() const { return names_; }
    int32_t EntryCount() const { return static_cast<int32_t>(keys_.size()); }

private:
    // The lookups of a loaded table (names and buckets), made by
    // OrgInfoInit and dropped by every change of the table.
    void BuildLookups();
    void BuildBuckets();
    void ForgetLookups();
    // DocumentPosition(key) found through the buckets; -1 where they do not
    // settle it.
    int64_t BucketPosition(uint64_t key) const;
    // The search's position p of the document holding key (entry p - 1), 0
    // when the table cannot hold it.
    int64_t DocumentPosition(uint64_t key) const;
    // Entry p - 1 when it has a name, else -1.
    int64_t EntryAt(int64_t position) const;

    std::shared_ptr<const OrgSource> source_;  // build-time tables, shared by groups
    std::vector<uint64_t> keys_;
    std::vector<std::string> names_;
    std::vector<std::string> sortedNames_;
    // By DocumentPosition: the number of its entry's name, -1 for none.
    std::vector<int32_t> positionNumbers_;
    // Per data file, the first entry of each bucket of positions (empty when
    // the loaded keys are not ascending): a search within a bucket replaces
    // one over the whole table.
    std::vector<std::vector<uint32_t>> bucketFirst_;
};

// "Info/Corpus.ID" as a table from line number to sentence key: n + 1
// entries, n being the largest line number plus 1, entry n the largest
// 64-bit value. False when the file cannot be opened or read.
bool ReadID2Offset(const std::string& idFile, std::vector<uint64_t>& table, int64_t& n);

// Document table of a build: "Org.txt" and "Info/Corpus.ID" into ORGDAT.
// False when either input cannot be read or the table cannot be written.
bool WriteOrgInfo(const std::string& idFile, const std::string& orgText, const std::string& orgDat);

}  // namespace qav
