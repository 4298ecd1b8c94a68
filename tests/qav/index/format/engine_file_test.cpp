#include <gtest/gtest.h>

#include <string>

#include "qav/index/base/config.h"
#include "support/test_support.h"

namespace {

class EngineFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedType_ = qav::g_nEngineType;
        savedSize_ = qav::g_nCorpusSize;
    }
    void TearDown() override {
        qav::g_nEngineType = savedType_;
        qav::g_nCorpusSize = savedSize_;
    }

    qztest::TempDir dir_;
    int savedType_ = 0;
    int64_t savedSize_ = 0;
};

TEST_F(EngineFileTest, WrittenFileReadsBack) {
    struct Case {
        int kind;
        int language;  // -1: no configuration
        int64_t corpusSize;
        const char* text;
        int type, languageType;
    } cases[] = {
        {qav::kEngineStructured, 0, 18, "Engine=QAV\nLanguage=Chinese\nCorpusSize=18\n", 1, 0},
        {qav::kEngineFullText, 1, 0, "Engine=BM\nLanguage=English\n", 2, 1},
        {qav::kEngineStructured, 1, 5000000000LL, "Engine=QAV\nLanguage=English\nCorpusSize=5000000000\n", 1, 1},
        {qav::kEngineStructured, -1, 0, "Engine=QAV\n", 1, 0},
        {7, 2, 0, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        qav::CConfig config;
        config.m_Language = c.language;
        qav::g_nCorpusSize = c.corpusSize;
        ASSERT_TRUE(qav::SetEngineType(c.language < 0 ? nullptr : &config, dir_.path(), c.kind));
        EXPECT_EQ(qav::g_nEngineType, c.kind);
        EXPECT_EQ(qztest::ReadFile(dir_.file("Engine.txt")), c.text);
        EXPECT_EQ(qav::GetEngineType(dir_.path()), c.type);
        EXPECT_EQ(qav::GetEngineLanguageType(dir_.path()), c.languageType);
        EXPECT_EQ(qav::GetCorpusSize(dir_.path()), c.corpusSize);
    }
}

TEST_F(EngineFileTest, ReadersOfHandWrittenFiles) {
    struct Case {
        const char* text;
        int type, languageType;
        int64_t corpusSize;
    } cases[] = {
        {"Language=English\n", 0, 1, 0},
        {"Language=Chinese\nLanguage=English\n", 0, 0, 0},
        {" CorpusSize=5\n", 0, 0, 0},
        {"CorpusSize=5\r\nCorpusSize=9\n", 0, 0, 5},
        {"corpussize=5\nCorpusSize=x\n", 0, 0, 0},
        {"Engine=BM\nEngine=QAV\n", 2, 0, 0},
        {"# Engine=QAV, Language=English", 1, 1, 0},
        {"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        qztest::WriteFile(dir_.file("Engine.txt"), c.text);
        EXPECT_EQ(qav::GetEngineType(dir_.path()), c.type);
        EXPECT_EQ(qav::GetEngineLanguageType(dir_.path()), c.languageType);
        EXPECT_EQ(qav::GetCorpusSize(dir_.path()), c.corpusSize);
    }
}

TEST_F(EngineFileTest, MissingFileOrFolder) {
    EXPECT_EQ(qav::GetEngineType(dir_.path()), 0);
    EXPECT_EQ(qav::GetEngineLanguageType(dir_.path()), 0);
    EXPECT_EQ(qav::GetCorpusSize(dir_.path()), 0);

    qav::g_nEngineType = qav::kEngineStructured;
    EXPECT_FALSE(qav::SetEngineType(nullptr, dir_.file("no/such/folder"), qav::kEngineFullText));
    EXPECT_EQ(qav::g_nEngineType, qav::kEngineFullText);  // the kind is set even when the file fails
}

}  // namespace
