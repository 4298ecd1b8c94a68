#include "build_fixture.h"

#include <gtest/gtest.h>

#include "common/platform/byte_codec.h"
#include "include/qavlib.h"
#include "qav/fulltext/engine/bm_engine.h"
#include "qav/fulltext/format/bm_files.h"

namespace qav_bm_test {
namespace {

std::string JsonList(const std::vector<std::string>& items) {
    std::string list = "[";
    for (size_t i = 0; i < items.size(); ++i) list += (i ? ",\"" : "\"") + items[i] + "\"";
    return list + "]";
}

}  // namespace

std::string TestConfig(const std::vector<std::string>& fields, const std::vector<std::string>& docInfo,
                       int threads, const std::string& extra) {
    return "{\"FileInfo\":{\"Data\":\"Data\",\"Unit\":\"Unit\",\"WordList\":\"WordList\",\"OrgDat\":\"Org.dat\"},"
           "\"SizeInfo\":{\"ThreadNum_Count\":" + std::to_string(threads) + ",\"HashSize_WordList\":4096},"
           "\"Field\":" + JsonList(fields) + ",\"DocInfo\":" + JsonList(docInfo) +
           ",\"DocID_Name\":\"id\",\"DelNumber\":\"Yes\"" + extra + "}";
}

int TestBuild::Run(const std::string& config, const std::vector<std::string>& inputs, const std::string& moreList) {
    qztest::WriteFile(dir.file("config.txt"), config);
    std::string list;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const std::string name = dir.file("input_" + std::to_string(i) + ".txt");
        qztest::WriteFile(name, inputs[i]);
        list += name + "\n";
    }
    qztest::WriteFile(dir.file("files.list"), list + moreList);
    testing::internal::CaptureStdout();
    const int result = IdxBM(dir.file("config.txt").c_str(), dir.file("files.list").c_str(), index().c_str());
    log = testing::internal::GetCapturedStdout();
    return result;
}

std::map<uint32_t, DocTermRecord> ReadDocToTermShard(const std::string& path) {
    const std::string bytes = qztest::ReadFile(path);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::map<uint32_t, DocTermRecord> records;
    size_t p = 0;
    while (p + 8 <= bytes.size()) {
        DocTermRecord& record = records[static_cast<uint32_t>(p)];
        record.dl = qz::bytes::Load<uint32_t>(data + p);
        const uint32_t k = qz::bytes::Load<uint32_t>(data + p + 4);
        p += 8;
        for (uint32_t j = 0; j < k && p + 5 <= bytes.size(); ++j, p += 5) {
            uint32_t number = 0;
            uint32_t tf = 0;
            qav::bm::DecodeEntry(data + p, &number, &tf);
            record.entries.emplace_back(number, tf);
        }
    }
    EXPECT_EQ(p, bytes.size()) << path;
    return records;
}

bool LoadFullTextEngine(qav::CBMEngine& engine, const std::string& index) {
    qav::g_nEngineType = qav::kEngineFullText;
    testing::internal::CaptureStdout();
    const bool loaded = engine.BMEngineInit("config.txt", index);
    testing::internal::GetCapturedStdout();
    return loaded;
}

}  // namespace qav_bm_test
