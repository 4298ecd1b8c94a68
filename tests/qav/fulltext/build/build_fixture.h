// Builds full-text indexes for the tests in a temporary folder, and reads
// their files back.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace qav {
class CBMEngine;
}

namespace qav_bm_test {

// config.txt of a test build: the given fields and document information keys,
// "DocID_Name" id, numbers dropped; extra is spliced into the JSON object.
std::string TestConfig(const std::vector<std::string>& fields, const std::vector<std::string>& docInfo,
                       int threads, const std::string& extra = "");

struct TestBuild {
    qztest::TempDir dir;
    std::string index() const { return dir.file("index"); }
    std::string file(const std::string& name) const { return index() + "/" + name; }
    // Writes config.txt, the input files and the file list (moreList
    // appended), then runs IdxBM; returns its result. stdout goes to log.
    int Run(const std::string& config, const std::vector<std::string>& inputs, const std::string& moreList = "");
    std::string log;
};

// Field records of a document-to-term shard, in file order: offset -> entries
// (term number, tf) with the record's dl.
struct DocTermRecord {
    uint32_t dl = 0;
    std::vector<std::pair<uint32_t, uint32_t>> entries;
};
std::map<uint32_t, DocTermRecord> ReadDocToTermShard(const std::string& path);

// Loads the built index into engine as the process's full-text engine kind,
// its start-up lines kept off the test output; whether it loaded.
bool LoadFullTextEngine(qav::CBMEngine& engine, const std::string& index);

}  // namespace qav_bm_test
