#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "include/zellib.h"
#include "support/test_support.h"
#include "tests/zel/service/seg_fixture.h"

namespace {

using qztest::Gbk;
using qztest::TempDir;

// The hand-made model and a one-word dictionary, loaded for each test.
class SegFunctions : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(qztest::WriteSegModels(dir_));
        handle_ = ZEL_CRFPOSInit();
    }
    void TearDown() override {
        ZEL_CRFPOSExit(handle_);
        ZEL_CRFExit();
        ZEL_POSExit();
    }
    std::string Call(int (*f)(void*, const char*, char*), const char* text) {
        int n = f(handle_, text, out_.data());
        EXPECT_EQ(n, static_cast<int>(std::strlen(out_.data())));
        return out_.data();
    }

    TempDir dir_;
    void* handle_ = nullptr;
    std::vector<char> out_ = std::vector<char>(ZEL_SEG_ANSWER_BYTES, 'x');
};

TEST_F(SegFunctions, LoadOnceAndReportIt) {
    EXPECT_EQ(ZEL_CRFInit(dir_.file("missing.bin").c_str()), 0);
    EXPECT_EQ(ZEL_CRFInit(dir_.file("m.bin").c_str()), 1);
    EXPECT_EQ(ZEL_CRFInit(dir_.file("m.bin").c_str()), 1);
    EXPECT_EQ(ZEL_POSInit(dir_.file("missing.bin").c_str()), 0);
    EXPECT_EQ(ZEL_POSInit(dir_.file("dict.bin").c_str()), 1);
    EXPECT_EQ(ZEL_POSInit(dir_.file("dict.bin").c_str()), 0);
    EXPECT_EQ(ZEL_CRFExit(), 1);
    EXPECT_EQ(ZEL_CRFExit(), 1);
    ZEL_CRFPOSExit(nullptr);
}

TEST_F(SegFunctions, SegmentAndTagInUtf8) {
    EXPECT_EQ(Call(ZEL_Seg, "我们好中华人"), "");  // no model yet
    ASSERT_EQ(ZEL_CRFInit(dir_.file("m.bin").c_str()), 1);
    ASSERT_EQ(ZEL_POSInit(dir_.file("dict.bin").c_str()), 1);
    EXPECT_EQ(Call(ZEL_Seg, "我们好中华人"), "我们 好 中华人");
    EXPECT_EQ(Call(ZEL_Seg, ""), "");
    EXPECT_EQ(Call(ZEL_POS, "我们 好"), "我们/v 好/n ");
    EXPECT_EQ(Call(ZEL_POS, ""), "");
}

TEST_F(SegFunctions, LongTextIsCutNotOverrun) {
    ASSERT_EQ(ZEL_CRFInit(dir_.file("m.bin").c_str()), 1);
    std::string text;
    while (text.size() < 300000) text += "好";
    std::string answer = Call(ZEL_Seg, text.c_str());
    // 65,535 GBK bytes hold 32,767 characters, each a word here.
    EXPECT_EQ(answer.size(), 32767u * 4 - 1);
}

}  // namespace
