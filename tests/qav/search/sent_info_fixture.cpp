#include "sent_info_fixture.h"

#include <gtest/gtest.h>

#include "qav/index/format/sent_info_file.h"

namespace qztest {

void LoadSentInfo(qav::CHashTableInfo& info, const TempDir& dir, const std::vector<std::string>& tags,
                  const std::vector<FixtureSentence>& sentences,
                  const std::vector<std::vector<std::string>>& docs) {
    std::vector<qav::SentInfoTag> tagList;
    for (size_t i = 0; i < tags.size(); ++i) tagList.push_back({tags[i], static_cast<int32_t>(i)});
    qav::SentInfoWriter writer;
    ASSERT_TRUE(writer.Create(dir.file("SentInfo.dat"), tagList));
    int32_t line = 0;
    for (const FixtureSentence& s : sentences) {
        const int64_t value = static_cast<int64_t>((static_cast<uint64_t>(s.doc) << 32) | s.tag);
        writer.AddRecord({SentKey(s.file, s.position), value, line++});
    }
    ASSERT_TRUE(writer.Close());
    info.MakeBuckets(97);
    ASSERT_TRUE(info.ReadInSentInfo(dir.file("SentInfo.dat")));
    for (const auto& doc : docs) info.Add2DocInfo(doc);
}

}  // namespace qztest
