#include <gtest/gtest.h>

#include <string>

#include "qav/index/base/config.h"
#include "support/test_support.h"

namespace {

class EngineFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedType_ = g_nEngineType;
        savedSize_ = g_nCorpusSize;
    }
    void TearDown() override {
        g_nEngineType = savedType_;
        g_nCorpusSize = savedSize_;
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
        {kEngineStructured, 0, 18, "Engine=QAV\nLanguage=Chinese\nCorpusSize=18\n", 1, 0},
        {kEngineFullText, 1, 0, "Engine=BM\nLanguage=English\n", 2, 1},
        {kEngineStructured, 1, 5000000000LL, "Engine=QAV\nLanguage=English\nCorpusSize=5000000000\n", 1, 1},
        {kEngineStructured, -1, 0, "Engine=QAV\n", 1, 0},
        {7, 2, 0, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CConfig config;
        config.m_Language = c.language;
        g_nCorpusSize = c.corpusSize;
        ASSERT_TRUE(SetEngineType(c.language < 0 ? nullptr : &config, dir_.path(), c.kind));
        EXPECT_EQ(g_nEngineType, c.kind);
        EXPECT_EQ(qztest::ReadFile(dir_.file("Engine.txt")), c.text);
        EXPECT_EQ(GetEngineType(dir_.path()), c.type);
        EXPECT_EQ(GetEngineLanguageType(dir_.path()), c.languageType);
        EXPECT_EQ(GetCorpusSize(dir_.path()), c.corpusSize);
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
        EXPECT_EQ(GetEngineType(dir_.path()), c.type);
        EXPECT_EQ(GetEngineLanguageType(dir_.path()), c.languageType);
        EXPECT_EQ(GetCorpusSize(dir_.path()), c.corpusSize);
    }
}

TEST_F(EngineFileTest, MissingFileOrFolder) {
    EXPECT_EQ(GetEngineType(dir_.path()), 0);
    EXPECT_EQ(GetEngineLanguageType(dir_.path()), 0);
    EXPECT_EQ(GetCorpusSize(dir_.path()), 0);

    g_nEngineType = kEngineStructured;
    EXPECT_FALSE(SetEngineType(nullptr, dir_.file("no/such/folder"), kEngineFullText));
    EXPECT_EQ(g_nEngineType, kEngineFullText);  // the kind is set even when the file fails
}

}  // namespace
