// Document conditions and outputs of a full-text search over a small index
// of four documents in two shards.
#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "../build/build_fixture.h"
#include "qav/fulltext/search/bm_search.h"

namespace {

using Names = std::vector<std::string>;

class BMDocumentsTest : public testing::Test {
protected:
    void SetUp() override {
        const std::string extra = ",\"DocInfo_Type_Number\":[\"year\"],\"DocInfo_Type_String\":[\"name\"]";
        ASSERT_EQ(build_.Run(qav_bm_test::TestConfig({"title", "abstract"}, {"id", "year", "lang", "name", "IPC"}, 2,
                                                     extra),
                             {"#Global id=D1;year=2012;lang=en|zh;name=graph_theory;IPC=G06F17/30\n"
                              "#Group name=title\nItem:common alpha\n#Group name=abstract\nItem:first/n words/n\nTable\n"
                              "#Global id=D2;year=2020;lang=EN;name=trees;IPC=G06F7/00|H04L\n"
                              "#Group name=title\nItem:common\nTable\n",
                              "#Global id=D3;year=2016;lang=de;name=paths;IPC=H04L12/00\n"
                              "#Group name=title\nItem:common\nTable\n"
                              "#Global id=D4;year=2013;lang=;name=say\"hi\\;IPC=A01B\n"
                              "#Group name=title\nItem:common beta\nTable\n"}),
                  1)
            << build_.log;
        ASSERT_TRUE(qav_bm_test::LoadFullTextEngine(engine_, build_.index()));
        engine_.m_Config.m_SizeInfo.RetBuffSize = 30;
        engine_.m_Config.m_FileInfo.SavePath = saveDir_.path();
        qav::g_pBMEngine = &engine_;
        ASSERT_TRUE(search_.BMSearchInit());
        for (const auto& [name, key] : engine_.m_PidIdx) nameOf_[key] = name;
    }
    void TearDown() override {
        search_.BMSearchExit();
        qav::g_pBMEngine = nullptr;
        qav::g_nEngineType = qav::kEngineStructured;
    }
    // Slot number filled with the named documents; its handle.
    int64_t Fill(int number, const Names& names) {
        qav::CBMRet& slot = search_.Slot(number);
        slot.Clear();
        for (const std::string& name : names) {
            const int64_t key = engine_.m_PidIdx.at(name);
            qav::bm::Posting record;
            record.shard = static_cast<uint8_t>(key >> 32);
            record.docOffset = static_cast<uint32_t>(key);
            slot.Append(record);
        }
        return slot.handle();
    }
    Names Of(const qav::CBMRet* slot) {
        Names names;
        for (int32_t i = 0; slot && i < slot->m_nDocNum; ++i)
            names.push_back(nameOf_.at(qav::bm::DocKey((*slot)[i].shard, (*slot)[i].docOffset)));
        return names;
    }
    int64_t KeyOf(const std::string& name) { return engine_.m_PidIdx.at(name); }
    // The web output as parsed JSON; the output is emptied.
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> TakeJson() {
        std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(search_.m_WebOut.c_str()), cJSON_Delete);
        search_.m_WebOut.clear();
        return json;
    }
    static std::string Text(const cJSON* object, const char* name) {
        const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, name);
        return cJSON_IsString(item) ? item->valuestring : "?";
    }

    qav_bm_test::TestBuild build_;
    qztest::TempDir saveDir_;
    qav::CBMEngine engine_;
    qav::CBMSearch search_;
    std::map<int64_t, std::string> nameOf_;
    const Names all_ = {"D1", "D2", "D3", "D4"};
};

TEST_F(BMDocumentsTest, ConditionsKeepTheDocumentsTheyDescribe) {
    const struct {
        const char* text;
        int mode;
        Names expected;
    } cases[] = {
        {"year=[2010-2015 2020]", 1, {"D1", "D2", "D4"}},  // range, equality; 2016 fails
        {"lang=EN", 1, {"D1", "D2"}},                      // en|zh holds the part en
        {"name=grap", 1, {"D1"}},                          // substring key
        {"lang=en;b;year=2016", 1, {"D1", "D2"}},          // parsing stops at "b"
        {"lang=en", -1, {"D3", "D4"}},                     // no key may hold
        {"lang=en;year=2016", 0, {"D1", "D2", "D3"}},      // any key
        {"lang=en;year=[2010-2013]", 1, {"D1"}},           // every key
        {"", 1, {"D1", "D2", "D3", "D4"}},                 // no condition
        {"missing=1", 1, {}},                              // a key no document has
    };
    for (const auto& c : cases) {
        search_.m_Condition.Clear();
        search_.m_Condition.SetCondition(c.text, c.mode);
        const int64_t source = Fill(1, all_);
        qav::CBMRet* out = search_.GetBMConditionRet(source);
        EXPECT_EQ(Of(out), c.expected) << c.text;
        EXPECT_EQ(out, &search_.Slot(2)) << c.text;
        EXPECT_TRUE(search_.Slot(1).m_bFree);
        EXPECT_EQ(search_.Slot(1).m_nDocNum, 0);
        search_.Slot(2).Clear();
    }
}

TEST_F(BMDocumentsTest, ConditionFilteringChoosesItsSlotsAndHonoursTheBase) {
    search_.m_Condition.SetCondition("lang=en", 1);
    Fill(1, {"D3"});
    const int64_t source = Fill(2, all_);
    qav::CBMRet* out = search_.GetBMConditionRet(source);
    EXPECT_EQ(out, &search_.Slot(3));
    EXPECT_EQ(Of(out), (Names{"D1", "D2"}));
    EXPECT_TRUE(search_.Slot(2).m_bFree);
    EXPECT_EQ(Of(&search_.Slot(1)), Names{"D3"});
    // No free slot: nothing changes.
    Fill(2, all_);
    EXPECT_EQ(search_.GetBMConditionRet(search_.Slot(2).handle()), nullptr);
    EXPECT_EQ(search_.Slot(2).m_nDocNum, 4);
    // Handle 0: the free slot comes back untouched; an unknown handle gives null.
    search_.Slot(3).Clear();
    testing::internal::CaptureStdout();
    EXPECT_EQ(search_.GetBMConditionRet(0), &search_.Slot(3));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(search_.Slot(3).m_bFree);
    EXPECT_EQ(search_.GetBMConditionRet(12345), nullptr);

    // An include base of D2 and D3 keeps only D2 of the documents in English.
    for (int number = 1; number <= 3; ++number) search_.Slot(number).Clear();
    search_.SetBase(Fill(3, {"D2", "D3"}), true);
    search_.Slot(3).Clear();
    EXPECT_EQ(Of(search_.GetBMConditionRet(Fill(1, all_))), Names{"D2"});
}

TEST_F(BMDocumentsTest, DocumentTextShowsTheSelectedValuesEscaped) {
    std::string text;
    search_.GetDocInfoBuff(KeyOf("D1"), "name abstract", &text);
    EXPECT_EQ(text,
              "{\n\"id\":\"\",\n\"year\":\"\",\n\"lang\":\"\",\n\"name\":\"graph_theory\",\n\"IPC\":\"\",\n"
              "\"title\":\"\",\n\"abstract\":\"first/nwords/n\"\n}");
    // Every value without a selection; a quote and a backslash stay one
    // JSON string each.
    search_.GetDocInfoBuff(KeyOf("D4"), "", &text);
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(text.c_str()), cJSON_Delete);
    ASSERT_NE(json, nullptr) << text;
    EXPECT_EQ(Text(json.get(), "name"), "say\"hi\\");
    EXPECT_EQ(Text(json.get(), "year"), "2013");

    cJSON* object = cJSON_CreateObject();
    EXPECT_TRUE(search_.GetDocInfoBuffJSON(KeyOf("D1"), "title;id", object));
    EXPECT_EQ(Text(object, "id"), "D1");
    EXPECT_EQ(Text(object, "title"), "commonalpha");
    EXPECT_EQ(Text(object, "name"), "");
    cJSON_Delete(object);
    EXPECT_FALSE(search_.GetDocInfoBuffJSON(KeyOf("D1"), "", nullptr));

    Fill(1, {"D2"});
    EXPECT_TRUE(search_.GetDocInfo(search_.Slot(1), 0, &text));
    EXPECT_EQ(text, "IPC=G06F7/00|H04L;id=D2;lang=EN;name=trees;year=2020;");
    EXPECT_FALSE(search_.GetDocInfo(search_.Slot(1), 1, &text));
    EXPECT_EQ(text, "");
}

TEST_F(BMDocumentsTest, PagesOfDocumentsAndIdentifiers) {
    Names records;
    for (int i = 0; i < 25; ++i) records.push_back(all_[static_cast<size_t>(i % 4)]);
    const int64_t handle = Fill(1, records);
    const struct {
        int size, page;
        int first, count;
    } cases[] = {{10, 2, 20, 5}, {10, 3, 0, 0}, {40, 0, 0, 25}, {40, 1, 0, 0}, {10, 0, 0, 10}};
    for (const auto& c : cases) {
        ASSERT_TRUE(search_.GetOrgBuffJSON(handle, c.size, c.page, "id"));
        auto org = TakeJson();
        ASSERT_NE(org, nullptr);
        EXPECT_EQ(Text(org.get(), "type"), "Org");
        EXPECT_EQ(cJSON_GetObjectItem(org.get(), "total")->valueint, 25);
        const cJSON* res = cJSON_GetObjectItem(org.get(), "res");
        ASSERT_EQ(cJSON_GetArraySize(res), c.count) << c.size << "/" << c.page;
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(Text(cJSON_GetArrayItem(res, i), "id"), records[static_cast<size_t>(c.first + i)]);
            EXPECT_EQ(Text(cJSON_GetArrayItem(res, i), "year"), "");
        }

        ASSERT_TRUE(search_.GetIDBuffJSON(handle, c.size, c.page));
        auto ids = TakeJson();
        ASSERT_NE(ids, nullptr);
        EXPECT_EQ(Text(ids.get(), "type"), "ID");
        const cJSON* idList = cJSON_GetObjectItem(ids.get(), "res");
        ASSERT_EQ(cJSON_GetArraySize(idList), c.count);
        for (int i = 0; i < c.count; ++i)
            EXPECT_STREQ(cJSON_GetArrayItem(idList, i)->valuestring, records[static_cast<size_t>(c.first + i)].c_str());
    }
    EXPECT_FALSE(search_.GetOrgBuffJSON(99, 10, 0, ""));
    EXPECT_FALSE(search_.GetIDBuffJSON(99, 10, 0));
    EXPECT_EQ(search_.m_WebOut, "");
}

TEST_F(BMDocumentsTest, SortingAndCountingByTag) {
    const int64_t handle = Fill(1, all_);
    ASSERT_TRUE(search_.GetRetSortBy(handle, "year", "id", -1));
    const std::string sorted = search_.m_WebOut;
    search_.m_WebOut.clear();
    EXPECT_EQ(sorted.rfind("<Total>:4\n", 0), 0u);
    std::vector<size_t> at;
    for (const char* id : {"D1", "D4", "D3", "D2"}) at.push_back(sorted.find(std::string("\"") + id + "\""));
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << sorted;
    EXPECT_EQ(search_.Slot(1).m_nDocNum, 4);  // sorting leaves the slot

    qav::CBMSearch::TagPairs descending;
    search_.SortByTag(search_.Slot(1), "year", 0, &descending);
    ASSERT_EQ(descending.size(), 4u);
    EXPECT_EQ(descending.front().second, "2020");

    // The class-code tag groups by its first four bytes, up to a "|".
    ASSERT_TRUE(search_.GetRetCountBy(handle, "IPC"));
    EXPECT_EQ(search_.m_WebOut,
              "{\n\"statistics\":[\"IPC\"],\n\"axis1\":[\"A01B\",\"G06F\",\"H04L\"],\n\"axis2\":[],\n"
              "\"data\":[[0,1],[1,2],[2,1]]\n}\n");
    EXPECT_TRUE(search_.Slot(1).m_bFree);
    EXPECT_EQ(search_.Slot(1).m_nDocNum, 0);
    search_.m_WebOut.clear();

    ASSERT_TRUE(search_.GetRetCountBy(Fill(1, all_), "lang,IPC"));
    EXPECT_EQ(search_.m_WebOut,
              "{\n\"statistics\":[\"lang\",\"IPC\"],\n\"axis1\":[\"\",\"EN\",\"de\",\"en\"],\n"
              "\"axis2\":[\"A01B\",\"G06F\",\"H04L\"],\n\"data\":[[0,0,1],[1,1,1],[2,2,1],[3,1,1]]\n}\n");
    auto json = TakeJson();
    EXPECT_NE(json, nullptr);
    EXPECT_FALSE(search_.GetRetCountBy(12345, "IPC"));
}

TEST_F(BMDocumentsTest, SavedFilesTakeOnlyPlainNames) {
    const int64_t handle = Fill(2, {"D1", "D3"});
    EXPECT_TRUE(search_.SaveRetBuff(handle, "none.txt", 0));
    EXPECT_EQ(qztest::ReadFile(saveDir_.file("none.txt")), "<Total>:2\n");
    EXPECT_TRUE(search_.SaveRetBuff(handle, "all.txt", -1));
    EXPECT_TRUE(search_.SaveRetBuff(std::string("note"), "all.txt"));
    EXPECT_EQ(qztest::ReadFile(saveDir_.file("all.txt")),
              "<Total>:2\nIPC=G06F17/30;id=D1;lang=en|zh;name=graph_theory;year=2012;\n"
              "IPC=H04L12/00;id=D3;lang=de;name=paths;year=2016;\nnote\n");
    testing::internal::CaptureStdout();
    for (const char* name : {"../up.txt", "a/b.txt", "a\\b", ""}) {
        EXPECT_FALSE(search_.SaveRetBuff(handle, name, -1)) << name;
        EXPECT_FALSE(search_.SaveRetBuff(std::string("x"), name)) << name;
    }
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Error save"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(saveDir_.path()).parent_path() / "up.txt"));
    EXPECT_FALSE(search_.SaveRetBuff(77, "x.txt", -1));
}

}  // namespace
