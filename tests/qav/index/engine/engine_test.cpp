// Engine start-up and shut-down over small index directories.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/mini_index.h"
#include "qav/fulltext/engine/bm_engine.h"
#include "qav/index/base/cat_table.h"
#include "qav/index/engine/qav_engine.h"
#include "support/test_support.h"
#include "qav/service/engines.h"

namespace {

using qztest::MiniIndex;
using qztest::ReadFile;
using qztest::TempDir;
using qztest::WriteFile;

class Engine : public testing::Test {
protected:
    void TearDown() override {
        qav::g_nEngineType = qav::kEngineStructured;
        qav::GlobalExit();
        qav::g_nSortCompWordLen = 10;
    }

    // GlobalInit with its log captured into log_.
    bool Start(const std::string& dir) {
        testing::internal::CaptureStdout();
        const bool ok = qav::GlobalInit("config.txt", dir);
        log_ = testing::internal::GetCapturedStdout();
        return ok;
    }

    std::string log_;
};

TEST_F(Engine, LoadsEveryPartOfTheIndexDirectory) {
    TempDir dir;
    MiniIndex index;
    index.englishEngine = true;  // "Engine.txt" overrides the configured language
    index.sizeInfoExtra = ",\"SortCompWordLen\":4";
    index.Write(dir.path());

    ASSERT_TRUE(Start(dir.path())) << log_;
    EXPECT_EQ(0u, log_.find("QAV engine loading [" + dir.path() + "] ...\n")) << log_;
    EXPECT_NE(std::string::npos, log_.find("QAV engine ready. (")) << log_;

    qav::CQAVEngine* engine = qav::g_pCQAVEngine;
    ASSERT_NE(nullptr, engine);
    EXPECT_EQ(qav::kEngineStructured, qav::g_nEngineType);
    ASSERT_EQ(1u, engine->DataFileCount());
    ASSERT_EQ(1024u + 3u, engine->m_corpusLength[0]);
    EXPECT_EQ(1u, engine->m_corpus[0][512]);
    EXPECT_EQ(0u, engine->m_corpus[0][514]);
    // The header and tail blocks are the file's only places of no word.
    ASSERT_EQ(1u, engine->m_noWords.size());
    ASSERT_EQ(2u, engine->m_noWords[0].size());
    EXPECT_EQ(0u, engine->m_noWords[0][0].begin);
    EXPECT_EQ(512u, engine->m_noWords[0][0].end);
    EXPECT_EQ(515u, engine->m_noWords[0][1].begin);
    EXPECT_EQ(1027u, engine->m_noWords[0][1].end);
    ASSERT_NE(nullptr, engine->m_pWordList);
    EXPECT_EQ(3, engine->m_pWordList->length());
    EXPECT_EQ("a", engine->m_pWordList->words_by_id[1].text);
    EXPECT_EQ(1u, engine->OffsetFileCount());
    EXPECT_EQ(1, engine->m_config.m_Language);
    EXPECT_EQ(4, qav::g_nSortCompWordLen);

    ASSERT_EQ(2u, engine->m_unitTable.unit_list.size());
    const qav::CHashNode* unit = engine->m_unitTable.GetHashNode("|b");
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(engine->m_unitTable.unit_list[1], unit);
    EXPECT_EQ(16, unit->offset);
    EXPECT_EQ(1u, unit->count);
    EXPECT_EQ(4, unit->type);
    EXPECT_EQ(-1, unit->id);
    EXPECT_EQ(nullptr, unit->records());
    // A complex unit sums the counts of the children it finds; a missing
    // child stays null.
    const qav::CHashNode* complex = engine->m_unitTable.GetHashNode("a>");
    ASSERT_NE(nullptr, complex);
    ASSERT_EQ(2u, complex->children.size());
    EXPECT_EQ(engine->m_unitTable.GetHashNode("a|"), complex->children[0]);
    EXPECT_EQ(nullptr, complex->children[1]);
    EXPECT_EQ(2u, complex->count);

    std::string name, tags;
    uint64_t first, last;
    ASSERT_TRUE(engine->m_orgInfo.GetLimit(512, name, first, last));
    EXPECT_EQ("Doc_0", name);
    uint32_t doc, tag;
    EXPECT_TRUE(engine->m_sentInfo.GetSentInfo(512, doc, tag));
    ASSERT_TRUE(engine->m_sentInfo.GetDocTagInfo(0, tags));
    EXPECT_EQ("a=1;b=2;", tags);
    EXPECT_TRUE(qav::g_mCatTable.Contains("NUM"));
}

TEST_F(Engine, UnitIndexEntriesWithOneNameMakeOneNodePerType) {
    TempDir dir;
    MiniIndex index;
    index.units = {{{"x", 0, 3, 3, 0}, {"x", 24, 5, 4, 0}, {"y", 64, 1, 3, 0}, {"y", 72, 2, 3, 0}}, {}};
    index.offsetFiles = {88};
    index.Write(dir.path());
    ASSERT_TRUE(Start(dir.path())) << log_;

    const qav::CHashTable& table = qav::g_pCQAVEngine->m_unitTable;
    size_t xNodes = 0, yNodes = 0;
    table.ForEachNode([&](const qav::CHashNode& node) {
        xNodes += node.name == "x";
        yNodes += node.name == "y";
    });
    EXPECT_EQ(2u, xNodes);
    EXPECT_EQ(3u, table.GetHashNode("x", 3)->count);
    EXPECT_EQ(5u, table.GetHashNode("x", 4)->count);
    // The same name and type again replaces the count and the place.
    EXPECT_EQ(1u, yNodes);
    EXPECT_EQ(2u, table.GetHashNode("y", 3)->count);
    EXPECT_EQ(72, table.GetHashNode("y", 3)->offset);
}

TEST_F(Engine, CorpusSizeLimitIsInclusive) {
    struct Case {
        int64_t size;
        bool starts;
    } cases[] = {{0, true}, {1073741824, true}, {1073741825, false}};
    for (const Case& c : cases) {
        TempDir dir;
        MiniIndex index;
        index.corpusSize = c.size;
        index.Write(dir.path());
        EXPECT_EQ(c.starts, Start(dir.path())) << c.size << log_;
        if (!c.starts) {
            EXPECT_EQ("Error: corpus size (1073741825 bytes) exceeds limit (1073741824 bytes)\n", log_);
            EXPECT_EQ(nullptr, qav::g_pCQAVEngine);
        }
        qav::GlobalExit();
    }
}

TEST_F(Engine, DataFilesCountUpToTheFirstGap) {
    TempDir dir;
    MiniIndex index;
    index.dataFiles = {{}, {1, 2}, {1}};
    index.Write(dir.path());
    std::remove((dir.path() + "/Data_1.dat").c_str());
    ASSERT_TRUE(Start(dir.path())) << log_;
    ASSERT_EQ(1u, qav::g_pCQAVEngine->DataFileCount());
    // Header and tail blocks only: 4,096 bytes.
    EXPECT_EQ(1024u, qav::g_pCQAVEngine->m_corpusLength[0]);
}

TEST_F(Engine, DamagedOrMissingRequiredFilesFailTheStart) {
    TempDir base;
    MiniIndex index;
    index.Write(base.path());
    const std::string wordList = ReadFile(base.file("WordList.dat"));
    const std::string units = ReadFile(base.file("Unit.dat"));
    const std::string org = ReadFile(base.file("Org.dat"));

    struct Case {
        const char* file;
        std::string bytes;
        const char* message;  // %s: the file's path
    } cases[] = {
        {"WordList.dat", wordList.substr(0, wordList.size() - 1), "Error open %s!\n"},
        {"WordList.dat", std::string("\xFF\xFF\xFF\x7F", 4) + wordList.substr(4), "Error open %s!\n"},
        {"Unit.dat", units.substr(0, units.size() - 3), "Error open %s !\n"},
        {"Unit.dat", std::string("\x01\0\0\0\x00\x08\0\0", 8) + units.substr(8), "Error open %s !\n"},
        {"Org.dat", org.substr(0, org.size() - 1), "Error open %s !\n"},
        {"Org.dat", std::string("\xFF\xFF\xFF\x7F", 4) + org.substr(4), "Error open %s !\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        index.Write(dir.path());
        WriteFile(dir.file(c.file), c.bytes);
        EXPECT_FALSE(Start(dir.path())) << c.file;
        char message[4096];
        snprintf(message, sizeof message, c.message, dir.file(c.file).c_str());
        EXPECT_NE(std::string::npos, log_.find(message)) << log_;
        EXPECT_EQ(std::string::npos, log_.find("QAV engine ready.")) << log_;
    }

    struct Missing {
        const char* file;
    } missing[] = {{"config.txt"}, {"Data_0.dat"}, {"WordList.dat"}, {"Unit.dat"}, {"Offset_0.dat"}};
    for (const Missing& m : missing) {
        TempDir dir;
        index.Write(dir.path());
        std::remove(dir.file(m.file).c_str());
        EXPECT_FALSE(Start(dir.path())) << m.file;
    }
    // The optional parts may be missing from an index without a file list;
    // the log says so. Without offset files no unit's records could be read.
    TempDir dir;
    index.Write(dir.path());
    for (const char* file : {"Org.dat", "SentInfo.dat", "DocInfo.txt", "CatTable.txt"}) {
        std::remove(dir.file(file).c_str());
    }
    EXPECT_TRUE(Start(dir.path())) << log_;
    EXPECT_EQ(0, qav::g_pCQAVEngine->m_orgInfo.EntryCount());
    EXPECT_NE(std::string::npos, log_.find("Warning: no document table " + dir.file("Org.dat"))) << log_;
}

TEST_F(Engine, ExitThenInitLoadsTheOtherDirectoryAfresh) {
    TempDir first, second;
    MiniIndex one;
    one.sizeInfoExtra = ",\"SortCompWordLen\":3";
    one.Write(first.path());
    MiniIndex two;
    two.words = {"|", "x", "y", "z"};
    two.dataFiles = {{3}, {2, 1}};
    two.Write(second.path());

    ASSERT_TRUE(Start(first.path())) << log_;
    EXPECT_EQ(3, qav::g_nSortCompWordLen);
    qav::GlobalExit();
    EXPECT_EQ(nullptr, qav::g_pCQAVEngine);
    ASSERT_TRUE(Start(second.path())) << log_;
    EXPECT_EQ(4, qav::g_pCQAVEngine->m_pWordList->length());
    EXPECT_EQ(2u, qav::g_pCQAVEngine->DataFileCount());
    // The second index does not set the width: it is its own default.
    EXPECT_EQ(10, qav::g_nSortCompWordLen);
}

TEST_F(Engine, LanguageOfTheRunningEngineCanBeSet) {
    qav::SetEngineLanguageType(1);  // no engine: nothing to set
    EXPECT_EQ(nullptr, qav::g_pCQAVEngine);
    TempDir dir;
    MiniIndex().Write(dir.path());
    ASSERT_TRUE(Start(dir.path())) << log_;
    EXPECT_EQ(0, qav::g_pCQAVEngine->m_config.m_Language);
    qav::SetEngineLanguageType(1);
    EXPECT_EQ(1, qav::g_pCQAVEngine->m_config.m_Language);
    qav::SetEngineLanguageType(0);
    EXPECT_EQ(0, qav::g_pCQAVEngine->m_config.m_Language);
}

TEST_F(Engine, StartAfterAFailedStartBuildsAFreshEngine) {
    TempDir bad, good;
    MiniIndex index;
    index.Write(bad.path());
    index.Write(good.path());
    std::remove(bad.file("Unit.dat").c_str());

    ASSERT_FALSE(Start(bad.path()));
    // The failed engine stays in place, partly loaded.
    ASSERT_NE(nullptr, qav::g_pCQAVEngine);
    qav::g_pCQAVEngine->m_limits.emplace_back(1, 2);
    qav::g_pCQAVEngine->m_loadedRecords = 5;

    ASSERT_TRUE(Start(good.path())) << log_;
    EXPECT_TRUE(qav::g_pCQAVEngine->m_limits.empty());
    EXPECT_EQ(0, qav::g_pCQAVEngine->m_loadedRecords);
    EXPECT_EQ(2u, qav::g_pCQAVEngine->m_unitTable.unit_list.size());
}

TEST_F(Engine, ExitActsOnTheEngineOfTheCurrentKind) {
    TempDir dir;
    MiniIndex().Write(dir.path());
    ASSERT_TRUE(Start(dir.path())) << log_;
    qav::g_pBMEngine = new qav::CBMEngine();

    qav::g_nEngineType = qav::kEngineFullText;
    qav::GlobalExit();
    EXPECT_EQ(nullptr, qav::g_pBMEngine);
    EXPECT_NE(nullptr, qav::g_pCQAVEngine);

    qav::g_nEngineType = qav::kEngineStructured;
    qav::GlobalExit();
    EXPECT_EQ(nullptr, qav::g_pCQAVEngine);
}

class FreeMemTest : public Engine {
protected:
    // Units u0 .. u3 with 10, 20, 30 and 40 records, all loaded.
    void LoadAll(const std::string& sizeInfoExtra) {
        MiniIndex index;
        index.units = {{{"u0", 0, 10, 3, 0}, {"u1", 80, 20, 3, 0}, {"u2", 240, 30, 3, 0}, {"u3", 480, 40, 3, 0}},
                       {{"all>", {"u0", "u1", "u2", "u3"}}}};
        index.offsetFiles = {800};
        index.sizeInfoExtra = sizeInfoExtra;
        index.Write(dir_.path());
        ASSERT_TRUE(Start(dir_.path())) << log_;
        for (qav::CHashNode* node : qav::g_pCQAVEngine->m_unitTable.unit_list) {
            node->SetRecords(std::make_unique<unsigned char[]>(node->count * 8));
            qav::g_pCQAVEngine->m_loadedRecords += node->count;
        }
    }

    qav::CHashNode* Unit(const char* name) { return qav::g_pCQAVEngine->m_unitTable.GetHashNode(name); }

    TempDir dir_;
};

TEST_F(FreeMemTest, FreesOnlyUnitsNotInUse) {
    LoadAll(",\"MaxMemCount\":\"50\"");
    ASSERT_GT(qav::g_pCQAVEngine->m_loadedRecords, qav::g_pCQAVEngine->m_config.m_SizeInfo.MaxMemCount);
    qav::InsertCurrentSearch("u1");
    qav::FreeMem();
    EXPECT_EQ(nullptr, Unit("u0")->records());
    EXPECT_NE(nullptr, Unit("u1")->records());
    EXPECT_EQ(nullptr, Unit("u2")->records());
    EXPECT_EQ(nullptr, Unit("u3")->records());
    EXPECT_EQ(20, qav::g_pCQAVEngine->m_loadedRecords);

    // Out of use, but its 20 records are not fewer than the 20 loaded.
    qav::EraseCurrentSearch("u1");
    qav::FreeMem();
    EXPECT_NE(nullptr, Unit("u1")->records());
    EXPECT_EQ(20, qav::g_pCQAVEngine->m_loadedRecords);
}

TEST_F(FreeMemTest, StopsOnceMoreThanTheLimitWasFreed) {
    LoadAll(",\"ToFreeMemCount\":\"0\"");
    qav::FreeMem();
    EXPECT_EQ(nullptr, Unit("u0")->records());
    EXPECT_NE(nullptr, Unit("u1")->records());
    EXPECT_EQ(90, qav::g_pCQAVEngine->m_loadedRecords);
}

TEST_F(FreeMemTest, UseCountsCoverAComplexUnitsChildren) {
    LoadAll(",\"MaxAtomSearchRetSize\":3");
    qav::InsertCurrentSearch("all>");
    EXPECT_EQ(1, Unit("all>")->use_count);
    EXPECT_EQ(1, Unit("u2")->use_count);
    EXPECT_EQ(0, Unit("u3")->use_count);  // beyond MaxAtomSearchRetSize
    qav::InsertCurrentSearch("no such unit");
    qav::FreeMem();
    EXPECT_NE(nullptr, Unit("u0")->records());
    EXPECT_NE(nullptr, Unit("u2")->records());
    EXPECT_EQ(nullptr, Unit("u3")->records());
    EXPECT_EQ(60, qav::g_pCQAVEngine->m_loadedRecords);

    qav::EraseCurrentSearch("all>");
    EXPECT_EQ(0, Unit("u0")->use_count);
    qav::FreeMem();
    EXPECT_EQ(nullptr, Unit("u1")->records());
    EXPECT_NE(nullptr, Unit("u2")->records());
    EXPECT_EQ(30, qav::g_pCQAVEngine->m_loadedRecords);
}

}  // namespace
