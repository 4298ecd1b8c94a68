#include <gtest/gtest.h>

#include <cstring>

#include "support/test_support.h"
#include "zel/models/crf/crf_fixture.h"
#include "zel/models/crf_template.h"
#include "zel/models/idx_crf.h"

namespace {

using qztest::Gbk;
using qztest::TempDir;
using qztest::WriteFile;

TEST(CrfTemplate, SplitStringDropsEmptyParts) {
    std::vector<std::string> parts{"old"};
    zel::SplitString("//a/b//c/", "/", parts);
    EXPECT_EQ(parts, (std::vector<std::string>{"a", "b", "c"}));
    zel::SplitString("", "/", parts);
    EXPECT_TRUE(parts.empty());
}

TEST(IdxCrf, ReadsSectionsTemplatesAndFeatures) {
    TempDir dir;
    WriteFile(dir.file("m.txt"),
              "header\n\nB\nE\n\nU00:%x[-2,0]\nU01:%x[-1,0]/%x[0,0]\nB\n\n"
              "0 B\n4 U00:中\n6 U09:x\nnoblank\n8 U01:_B-1/a\n\n"
              "0.5\n-1.25\n2");  // no blank line after the last weight
    zel::CIdxCRF model;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(model.ReadModel(dir.file("m.txt")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Read m_vTag Done!\nRead FeatureTemplate Done!\nRead Feature Done!\nRead Weight Done!\n"
              "Read Model Done!\n");

    EXPECT_EQ(model.tags(), (std::vector<std::string>{"B", "E"}));
    ASSERT_EQ(model.template_count(), 2);
    EXPECT_EQ(model.bodies(), (std::vector<std::string>{"%x[-2,0]", "%x[-1,0]/%x[0,0]"}));
    EXPECT_EQ(zel::TemplateOffsets(model.bodies()[0]), (std::vector<int>{-2}));
    EXPECT_EQ(zel::TemplateOffsets(model.bodies()[1]), (std::vector<int>{-1, 0}));
    // The value is stored in GBK; the line of the unknown template U09 is ignored.
    EXPECT_EQ(model.features(0), (std::map<std::string, int>{{Gbk("中"), 4}}));
    EXPECT_EQ(model.features(1), (std::map<std::string, int>{{"_B-1/a", 8}}));
    EXPECT_EQ(model.weights(), (std::vector<float>{0.5f, -1.25f, 2.0f}));
}

TEST(IdxCrf, WritesTheBinaryModelByteForByte) {
    TempDir dir;
    WriteFile(dir.file("m.txt"), "h\n\nB\nS\n\nU00:%x[0,0]\n\n2 U00:b\n4 U00:a\n\n1\n-2\n");
    testing::internal::CaptureStdout();
    ASSERT_EQ(IdxCRF(dir.file("m.txt").c_str(), dir.file("m.bin").c_str()), 1);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Read Done!\nWrite Feature Done!\nWrite Weight Done!\nWrite Template Done!\n"
                       "Write TagSet Done!\n"),
              std::string::npos);

    auto i32 = [](int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    auto f32 = [](float v) {
        char b[4];
        std::memcpy(b, &v, 4);
        return std::string(b, 4);
    };
    std::string expected = i32(1) + i32(2) + "\x01" "a" + i32(4) + "\x01" "b" + i32(2) +  // values in byte order
                           i32(2) + f32(1.0f) + f32(-2.0f) +                              // weights
                           "\x07%x[0,0]" +                                                // template bodies
                           i32(2) + "\x01" "B" + "\x01" "S";                              // tags
    EXPECT_EQ(qztest::ReadFile(dir.file("m.bin")), expected);
}

TEST(IdxCrf, FailsWithoutInputOrOutput) {
    TempDir dir;
    WriteFile(dir.file("m.txt"), qztest::SmallCrfModelText());
    testing::internal::CaptureStdout();
    EXPECT_EQ(IdxCRF(dir.file("missing.txt").c_str(), dir.file("m.bin").c_str()), 0);
    EXPECT_EQ(IdxCRF(dir.file("m.txt").c_str(), dir.file("no/such/dir/m.bin").c_str()), 0);
    testing::internal::GetCapturedStdout();
}

}  // namespace
