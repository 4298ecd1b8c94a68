#include "mini_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "common/platform/byte_codec.h"
#include "qav/index/base/config.h"
#include "qav/index/format/data_file.h"
#include "qav/index/format/index_files.h"
#include "qav/index/build/info_stage.h"
#include "qav/index/format/word_list.h"
#include "support/test_support.h"

namespace qztest {

namespace {

void WriteDataFile(const std::string& path, const std::vector<uint32_t>& ids) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::string body;
    for (uint32_t id : ids) qz::bytes::Append(body, id);
    EXPECT_TRUE(qav::WriteHeader(file));
    EXPECT_EQ(body.size(), fwrite(body.data(), 1, body.size(), file));
    EXPECT_TRUE(qav::WriteTail(file));
    fclose(file);
}

void WriteWordList(const std::string& dir, const std::vector<std::string>& words) {
    qav::CWordList list;
    for (size_t id = 0; id < words.size(); ++id) {
        qav::CWord word;
        word.text = words[id];
        word.id = static_cast<int32_t>(id);
        word.type = 7;
        list.words_by_id.push_back(word);
    }
    list.words = list.words_by_id;
    std::sort(list.words.begin(), list.words.end(), [](const qav::CWord& a, const qav::CWord& b) { return a.text < b.text; });
    ASSERT_TRUE(list.Write2FileEx(dir + "/WordList.dat", dir + "/Info/WordList.dat"));
}

}  // namespace

void MiniIndex::Write(const std::string& dir) const {
    std::filesystem::create_directories(dir + "/Info");
    WriteFile(dir + "/config.txt",
              "{\"FileInfo\":{\"Data\":\"Data\",\"Offset\":\"Offset\",\"WordList\":\"WordList.dat\","
              "\"Unit\":\"Unit.dat\",\"OrgDat\":\"Org.dat\",\"SentInfo\":\"SentInfo.dat\","
              "\"DocInfo\":\"DocInfo.txt\",\"CatTable\":\"CatTable.txt\"},"
              "\"SizeInfo\":{\"HashSize_IdxUnit\":4099,\"HashSize_WordList\":4099,\"HashSize_SentInfo\":\"4099\"" +
                  sizeInfoExtra + "},\"Language\":\"Chinese\"}");

    qav::CConfig language;
    language.m_Language = englishEngine ? 1 : 0;
    qav::g_nCorpusSize = corpusSize;
    ASSERT_TRUE(qav::SetEngineType(&language, dir, qav::kEngineStructured));
    qav::g_nCorpusSize = 0;

    for (size_t g = 0; g < dataFiles.size(); ++g) WriteDataFile(qav::DatFilePath(dir + "/Data", static_cast<int>(g)), dataFiles[g]);
    WriteWordList(dir, words);
    ASSERT_TRUE(qav::WriteUnitIndexFile(dir + "/Unit.dat", dir + "/Info/Unit.dat", units));
    for (size_t n = 0; n < offsetFiles.size(); ++n) {
        WriteFile(qav::DatFilePath(dir + "/Offset", static_cast<int>(n)), std::string(offsetFiles[n], '\0'));
    }

    WriteFile(dir + "/Org.txt", orgText);
    WriteFile(dir + "/Info/Corpus.ID", corpusIds);
    WriteFile(dir + "/SentInfo.txt", sentInfoText);
    testing::internal::CaptureStdout();
    const bool built = qav::IdxSentInfoAndWriteOrg(dir);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(built);
    WriteFile(dir + "/DocInfo.txt", docInfoText);
    WriteFile(dir + "/CatTable.txt", catTableText);
}

}  // namespace qztest
