#include <gtest/gtest.h>

#include <memory>

#include "qav/index/base/config.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/atom/engine_views.h"
#include "qav/search/search_fixture.h"

namespace {

TEST(EngineViews, ComparisonsUseTheEnginesOwnSettings) {
    qav::CQAVEngine engine;
    engine.m_corpus.emplace_back(new uint32_t[3]{0, 1, 0});
    engine.m_corpusLength.push_back(3);
    engine.m_pWordList = std::make_shared<qav::CWordList>(searchtest::MakeWordList({"the", "dog"}));
    engine.m_config.m_Language = qav::kLanguageEnglish;
    engine.m_config.m_SizeInfo.SortCompWordLen = 3;
    const int saved = qav::g_nSortCompWordLen;
    qav::g_nSortCompWordLen = 99;  // left behind by another index

    const qav::RecordCompareContext ctx = MakeRecordCompareContext(engine);
    EXPECT_EQ(ctx.sortCompWordLen, 3);
    EXPECT_EQ(ctx.language, qav::kLanguageEnglish);
    ASSERT_EQ(ctx.files.size(), 1u);
    EXPECT_EQ(ctx.files[0].words, engine.m_corpus[0].get());
    EXPECT_EQ(ctx.files[0].count, 3u);
    EXPECT_EQ(ctx.wordList, engine.m_pWordList.get());
    qav::g_nSortCompWordLen = saved;

    const qav::AtomQueryEnv env = qav::MakeAtomQueryEnv(&engine);
    EXPECT_EQ(env.units, &engine.m_unitTable);
    EXPECT_EQ(env.wordList, engine.m_pWordList.get());
    EXPECT_EQ(env.language, qav::kLanguageEnglish);
    const qav::AtomQueryEnv none = qav::MakeAtomQueryEnv(nullptr);
    EXPECT_EQ(none.units, nullptr);
    EXPECT_EQ(none.wordList, nullptr);
}

}  // namespace
