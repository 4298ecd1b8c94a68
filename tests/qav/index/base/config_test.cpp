#include "qav/index/base/config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using qztest::Gbk;

// Restores a process-wide value when a test changes it.
template <class T>
class Restore {
public:
    explicit Restore(T& value) : ref_(value), saved_(value) {}
    ~Restore() { ref_ = saved_; }

private:
    T& ref_;
    T saved_;
};

class ConfigTest : public ::testing::Test {
protected:
    // Writes config.txt with the given JSON and reads it for index folder "idx".
    bool Load(const std::string& json) {
        qztest::WriteFile(dir_.file("config.txt"), json);
        return config_.ConfigInit(dir_.file("config.txt"), "idx");
    }

    qztest::TempDir dir_;
    qav::CConfig config_;
    Restore<int> engineType_{qav::g_nEngineType};
    Restore<int> sortLen_{qav::g_nSortCompWordLen};
};

TEST_F(ConfigTest, EmptyObjectGivesEveryDefault) {
    ASSERT_TRUE(Load("{}"));
    EXPECT_EQ(config_.m_IndexDir, "idx");
    EXPECT_EQ(config_.m_InfoDir, "idx/Info");

    const qav::CFileInfo& f = config_.m_FileInfo;
    for (const std::string* path : {&f.Data, &f.Offset, &f.WordList, &f.Unit, &f.OrgDat, &f.SavePath,
                                    &f.CatTable, &f.UnitInInfo, &f.DataInInfo, &f.WordListInInfo,
                                    &f.SentInfo, &f.DocInfo})
        EXPECT_TRUE(path->empty());

    const qav::CSizeInfo& s = config_.m_SizeInfo;
    EXPECT_EQ(s.ThreadNum_Count, 1);
    EXPECT_EQ(s.ThreadNum_Offset, 1);
    EXPECT_EQ(s.ThreadNum_Sort, 1);
    EXPECT_EQ(s.ThreadNum_AS, 1);
    EXPECT_EQ(s.HashSize_IdxUnit, 102400);
    EXPECT_EQ(s.HashSize_WordList, 10240000);
    EXPECT_EQ(s.HashTagSize_Merge, 1024000);
    EXPECT_EQ(s.MaxAtomSearchRetSize, 102400);
    EXPECT_EQ(s.RetInfoMaxSize, 102400);
    EXPECT_EQ(s.RetBuffSize, 102400);
    EXPECT_EQ(s.MinIdxUnitCount_ForComplexIdx, 0);
    EXPECT_EQ(s.MaxOffsetFileSize, 2147483648LL);
    EXPECT_EQ(s.MaxMemCount, 2147483648LL);
    EXPECT_EQ(s.ToFreeMemCount, 214748364800LL);
    EXPECT_EQ(s.SortCompWordLen, 10);
    EXPECT_EQ(s.MaxUnitCount_ToSort, 2147483648LL);
    EXPECT_EQ(s.MaxUnitCount_ToSearch, 214748364800LL);
    EXPECT_EQ(s.HashSize_SentInfo, 10485760);
    // Without a "SizeInfo" section the full-text constants stay unset.
    EXPECT_EQ(s.BM_K1, 0);
    EXPECT_EQ(s.BM_K2, 0);
    EXPECT_EQ(s.BM_B, 0);
    EXPECT_EQ(s.BM25F_B, 0);
    EXPECT_TRUE(s.FieldWeights.empty());

    EXPECT_TRUE(config_.m_ClauseSeperator.empty());
    EXPECT_TRUE(config_.m_SentenceSeperator.empty());
    EXPECT_TRUE(config_.m_SubTreeCat.empty());
    EXPECT_TRUE(config_.m_StopTag.empty());
    EXPECT_TRUE(config_.m_StopPOS.empty());
    EXPECT_TRUE(config_.m_Cache.ML.empty());
    EXPECT_EQ(config_.m_CorpusKind, 0);
    EXPECT_EQ(config_.m_Language, 0);
    EXPECT_TRUE(config_.m_IsFast);
    EXPECT_TRUE(config_.m_DelNumber);
    EXPECT_EQ(config_.m_LowFreq, 0);
    EXPECT_TRUE(config_.m_TermTable);
    EXPECT_EQ(qav::g_nSortCompWordLen, 10);
}

TEST_F(ConfigTest, UnreadableOrInvalidFileFailsButSetsDirectories) {
    qav::CConfig config;
    EXPECT_FALSE(config.ConfigInit(dir_.file("missing.txt"), "idx"));
    EXPECT_EQ(config.m_IndexDir, "idx");
    EXPECT_EQ(config.m_InfoDir, "idx/Info");

    testing::internal::CaptureStdout();
    EXPECT_FALSE(Load("{\"Language\": "));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error cJSON_Parse " + dir_.file("config.txt") + " !\n");
    EXPECT_EQ(config_.m_InfoDir, "idx/Info");
}

TEST_F(ConfigTest, ThreadCountsAreCapped) {
    struct Case {
        const char* sizeInfo;
        int count, offset, sort;
    } cases[] = {
        {R"({"ThreadNum_Count": 1000})", 255, 255, 1},
        {R"({"ThreadNum_Count": 1000, "ThreadNum_Offset": 1000})", 255, 1000, 1},
        {R"({"ThreadNum_Count": 4})", 4, 4, 1},
        {R"({"ThreadNum_Offset": 3})", 1, 3, 1},
        {R"({"ThreadNum_Sort": 256})", 1, 1, 255},
        {R"({"ThreadNum_Count": 0})", 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sizeInfo);
        ASSERT_TRUE(Load(std::string("{\"SizeInfo\": ") + c.sizeInfo + "}"));
        EXPECT_EQ(config_.m_SizeInfo.ThreadNum_Count, c.count);
        EXPECT_EQ(config_.m_SizeInfo.ThreadNum_Offset, c.offset);
        EXPECT_EQ(config_.m_SizeInfo.ThreadNum_Sort, c.sort);
    }
}

TEST_F(ConfigTest, WideValuesAreReadFromStringsExactly) {
    ASSERT_TRUE(Load(R"({"SizeInfo": {
        "MaxMemCount": "4294967296",
        "MaxOffsetFileSize": "9007199254740993",
        "ToFreeMemCount": "0",
        "MaxUnitCount_ToSort": "100",
        "MaxUnitCount_ToSearch": "-1",
        "HashSize_SentInfo": "4294971395",
        "HashSize_IdxUnit": 4099,
        "SortCompWordLen": 6}})"));
    const qav::CSizeInfo& s = config_.m_SizeInfo;
    EXPECT_EQ(s.MaxMemCount, 4294967296LL);
    EXPECT_EQ(s.MaxOffsetFileSize, 9007199254740993LL);  // not representable as a double
    EXPECT_EQ(s.ToFreeMemCount, 0);
    EXPECT_EQ(s.MaxUnitCount_ToSort, 100);
    EXPECT_EQ(s.MaxUnitCount_ToSearch, -1);
    EXPECT_EQ(s.HashSize_SentInfo, 4099);  // low 32 bits of 2^32 + 4099
    EXPECT_EQ(s.HashSize_IdxUnit, 4099);
    EXPECT_EQ(s.SortCompWordLen, 6);
    EXPECT_EQ(qav::g_nSortCompWordLen, 6);
}

TEST_F(ConfigTest, SizeInfoSectionBringsFullTextConstants) {
    ASSERT_TRUE(Load(R"({"SizeInfo": {}})"));
    const qav::CSizeInfo& s = config_.m_SizeInfo;
    EXPECT_FLOAT_EQ(s.BM_K1, 2);
    EXPECT_FLOAT_EQ(s.BM_K2, 1);
    EXPECT_FLOAT_EQ(s.BM_B, 0.75f);
    EXPECT_FLOAT_EQ(s.BM25F_B, 0.4f);
    const std::unordered_map<std::string, float> weights = {
        {"title", 10}, {"abstract", 7}, {"claim", 3}, {"description", 3}};
    EXPECT_EQ(s.FieldWeights, weights);
    EXPECT_EQ(qav::g_nSortCompWordLen, 10);

    ASSERT_TRUE(Load(R"({"SizeInfo": {"BM_K1": "1.5", "BM_B": "0.5", "BM25F_WT": "12", "BM25F_WD": "0.25"}})"));
    EXPECT_FLOAT_EQ(config_.m_SizeInfo.BM_K1, 1.5f);
    EXPECT_FLOAT_EQ(config_.m_SizeInfo.BM_B, 0.5f);
    EXPECT_FLOAT_EQ(config_.m_SizeInfo.FieldWeights.at("title"), 12);
    EXPECT_FLOAT_EQ(config_.m_SizeInfo.FieldWeights.at("abstract"), 7);
    EXPECT_FLOAT_EQ(config_.m_SizeInfo.FieldWeights.at("description"), 0.25f);
}

TEST_F(ConfigTest, FileInfoPathsJoinTheIndexAndInfoFolders) {
    ASSERT_TRUE(Load(R"({"FileInfo": {"Data": "Corpus", "Offset": "Offset", "WordList": "WordList.dat",
        "Unit": "Unit.dat", "OrgDat": "Org.dat", "SavePath": "/tmp/save", "CatTable": "CatTable.txt",
        "SentInfo": "SentInfo.dat", "DocInfo": "DocInfo.txt"}})"));
    const qav::CFileInfo& f = config_.m_FileInfo;
    EXPECT_EQ(f.Data, "idx/Corpus");
    EXPECT_EQ(f.DataInInfo, "idx/Info/Corpus");
    EXPECT_EQ(f.Offset, "idx/Offset");
    EXPECT_EQ(f.WordList, "idx/WordList.dat");
    EXPECT_EQ(f.WordListInInfo, "idx/Info/WordList.dat");
    EXPECT_EQ(f.Unit, "idx/Unit.dat");
    EXPECT_EQ(f.UnitInInfo, "idx/Info/Unit.dat");
    EXPECT_EQ(f.OrgDat, "idx/Org.dat");
    EXPECT_EQ(f.SavePath, "/tmp/save");
    EXPECT_EQ(f.CatTable, "idx/CatTable.txt");
    EXPECT_EQ(f.SentInfo, "idx/SentInfo.dat");
    EXPECT_EQ(f.DocInfo, "idx/DocInfo.txt");
}

TEST_F(ConfigTest, ListsFillTheirSetsAndLookups) {
    const std::string comma = Gbk("，"), stop = Gbk("。"), tag = Gbk("标点");
    ASSERT_TRUE(Load("{\"Clause Seperator\": [\"" + comma + "\", \"" + stop + "\"],"
                     " \"Clause Separator\": [\";\"],"
                     " \"Sentence Seperator\": [\"" + stop + "\"],"
                     " \"SubTree Cat\": [\"NP\", \"VP\"],"
                     " \"StopTag\": [\"" + tag + "\"],"
                     " \"StopPOS\": [\"w\"],"
                     " \"Cache\": {\"POS_L\": [\"v\"], \"POS_R\": [\"n\"], \"HZ_L\": [\"" + tag + "\"],"
                     "   \"HZ_R\": [\"a\"], \"ML\": [\"NP\", \"VP\"], \"MR\": [\"NP\", \"VP\"]}}"));
    EXPECT_TRUE(config_.IsSeperator_Clause(comma));
    EXPECT_TRUE(config_.IsSeperator_Clause(stop));
    EXPECT_FALSE(config_.IsSeperator_Clause(";"));  // only the file's own spelling counts
    EXPECT_FALSE(config_.IsSeperator_Clause(comma + comma));
    EXPECT_TRUE(config_.IsSeperator_Sentence(stop));
    EXPECT_FALSE(config_.IsSeperator_Sentence(comma));
    EXPECT_TRUE(config_.IsSeperator_SubTree("VP"));
    EXPECT_FALSE(config_.IsSeperator_SubTree("IP"));
    EXPECT_TRUE(config_.IsNotToIndex(tag));
    EXPECT_FALSE(config_.IsNotToIndex("NP"));
    EXPECT_EQ(config_.m_StopPOS, qav::StrSet({"w"}));

    const qav::CCache& c = config_.m_Cache;
    EXPECT_EQ(c.POS_L, qav::StrSet({"v"}));
    EXPECT_EQ(c.POS_R, qav::StrSet({"n"}));
    EXPECT_EQ(c.HZ_L, qav::StrSet({tag}));
    EXPECT_EQ(c.HZ_R, qav::StrSet({"a"}));
    EXPECT_EQ(c.ML, qav::StrSet({"NP", "VP"}));
    EXPECT_EQ(c.MR, c.ML);
}

TEST_F(ConfigTest, TextSwitchesAndLowFrequency) {
    struct Case {
        const char* json;
        int language;
        bool isFast, delNumber;
        int lowFreq;
    } cases[] = {
        {R"({"Language": "English", "IsFast": "No", "DelNumber": "No", "LowFreq": 3})", 1, false, false, 3},
        {R"({"Language": "Chinese", "IsFast": "Yes", "DelNumber": "Yes"})", 0, true, true, 0},
        {R"({"Language": "english", "IsFast": "no", "DelNumber": "", "LowFreq": 2.9})", 0, true, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        ASSERT_TRUE(Load(c.json));
        EXPECT_EQ(config_.m_Language, c.language);
        EXPECT_EQ(config_.m_IsFast, c.isFast);
        EXPECT_EQ(config_.m_DelNumber, c.delNumber);
        EXPECT_EQ(config_.m_LowFreq, c.lowFreq);
    }
}

TEST_F(ConfigTest, ValuesOfTheWrongTypeAreSkippedAndReported) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(Load(R"({"FileInfo": {"Data": 5, "Offset": "Offset"},
        "SizeInfo": {"MaxMemCount": 4294967296, "BM_K1": 3, "ThreadNum_Count": "4"},
        "Language": 1, "IsFast": false, "LowFreq": "7",
        "Cache": ["ML"],
        "Clause Seperator": ["a", 5, null, "b"], "StopTag": "x"})"));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("\"MaxMemCount\""), std::string::npos);
    EXPECT_NE(log.find("\"Clause Seperator\""), std::string::npos);

    EXPECT_TRUE(config_.m_FileInfo.Data.empty());
    EXPECT_EQ(config_.m_FileInfo.Offset, "idx/Offset");
    EXPECT_EQ(config_.m_SizeInfo.MaxMemCount, 2147483648LL);
    EXPECT_FLOAT_EQ(config_.m_SizeInfo.BM_K1, 2);
    EXPECT_EQ(config_.m_SizeInfo.ThreadNum_Count, 0);  // integer keys count other types as 0
    EXPECT_EQ(config_.m_Language, 0);
    EXPECT_TRUE(config_.m_IsFast);
    EXPECT_EQ(config_.m_LowFreq, 0);
    EXPECT_TRUE(config_.m_Cache.ML.empty());
    EXPECT_EQ(config_.m_ClauseSeperator, qav::StrSet({"a", "b"}));
    EXPECT_TRUE(config_.m_StopTag.empty());
}

TEST_F(ConfigTest, ReadingAgainStartsFromTheDefaults) {
    const std::string json = R"({"Clause Seperator": ["a"], "Cache": {"ML": ["NP"]}, "Language": "English",
        "SizeInfo": {"ThreadNum_Count": 8}})";
    ASSERT_TRUE(Load(json));
    config_.m_CorpusKind = 2;
    config_.m_ClauseSeperator.insert("z");
    ASSERT_TRUE(Load(json));
    EXPECT_EQ(config_.m_ClauseSeperator, qav::StrSet({"a"}));

    ASSERT_TRUE(Load("{}"));
    EXPECT_TRUE(config_.m_ClauseSeperator.empty());
    EXPECT_TRUE(config_.m_Cache.ML.empty());
    EXPECT_EQ(config_.m_Language, 0);
    EXPECT_EQ(config_.m_CorpusKind, 0);
    EXPECT_EQ(config_.m_SizeInfo.ThreadNum_Count, 1);
    EXPECT_TRUE(config_.m_SizeInfo.FieldWeights.empty());
}

TEST_F(ConfigTest, FullTextKeysAreReadOnlyForTheFullTextKind) {
    qztest::WriteFile(dir_.file("stop.txt"), Gbk("的\r\n\n了\n的\n  \n"));
    const std::string json = "{\"StopWord\": \"" + dir_.file("stop.txt") + "\","
        " \"StopPOS\": [\"w\"], \"DocID_Name\": \"id\", \"Field\": [\"title\", \"abstract\"],"
        " \"DocInfo\": [\"year\", \"author\"], \"DocInfo_Type_Number\": [\"year\"],"
        " \"DocInfo_Type_String\": [\"author\"]}";

    qav::g_nEngineType = qav::kEngineStructured;
    ASSERT_TRUE(Load(json));
    EXPECT_TRUE(config_.m_StopWord.empty());
    EXPECT_TRUE(config_.m_Field.empty());
    EXPECT_TRUE(config_.m_DocIDName.empty());
    EXPECT_EQ(config_.m_StopPOS, qav::StrSet({"w"}));

    qav::g_nEngineType = qav::kEngineFullText;
    ASSERT_TRUE(Load(json));
    EXPECT_EQ(config_.m_StopWord, qav::StrSet({Gbk("的"), Gbk("了"), "  "}));
    EXPECT_EQ(config_.m_StopPOS, qav::StrSet({"w"}));
    EXPECT_EQ(config_.m_DocIDName, "id");
    EXPECT_EQ(config_.m_Field, (std::vector<std::string>{"title", "abstract"}));
    EXPECT_EQ(config_.m_DocInfo, (std::vector<std::string>{"year", "author"}));
    EXPECT_EQ(config_.m_DocInfoTypeNumber, qav::StrSet({"year"}));
    EXPECT_EQ(config_.m_DocInfoTypeString, qav::StrSet({"author"}));
}

TEST_F(ConfigTest, MissingStopWordFileFailsAfterTheCommonKeys) {
    qav::g_nEngineType = qav::kEngineFullText;
    const std::string missing = dir_.file("none.txt");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(Load("{\"StopTag\": [\"x\"], \"StopWord\": \"" + missing + "\", \"Field\": [\"title\"]}"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error open " + missing + "\nread  " + missing + " error!\n");
    EXPECT_EQ(config_.m_StopTag, qav::StrSet({"x"}));
    EXPECT_TRUE(config_.m_Field.empty());
}

}  // namespace
