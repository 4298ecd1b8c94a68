// Files for the segmentation exports: the hand-made model compiled into
// dir/m.bin and a one-word part-of-speech dictionary in dir/dict.bin
// ("我们" as v, weight 1.5).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "include/zellib.h"
#include "support/test_support.h"
#include "zel/models/crf/crf_fixture.h"

namespace qztest {

inline void WriteSegModels(const TempDir& dir) {
    WriteFile(dir.file("m.txt"), SmallCrfModelText());
    testing::internal::CaptureStdout();
    const int compiled = IdxCRF(dir.file("m.txt").c_str(), dir.file("m.bin").c_str());
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(compiled, 1);
    const std::string dict = std::string("\x01\0\0\0\x01v\x01\0\0\0", 10) + "\x04" + Gbk("我们") + "\x01" +
                             std::string("\0\0\0\xC0\x3F", 5);
    WriteFile(dir.file("dict.bin"), dict);
}

}  // namespace qztest
