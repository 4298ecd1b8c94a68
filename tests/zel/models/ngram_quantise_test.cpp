#include <gtest/gtest.h>

#include "zel/models/ngram_quantise.h"

using zel::kQuantStep;
using zel::QuantiseLogProb;

TEST(NgramQuantise, ValuesOutsideTheScaleAndAtItsEnds) {
    const struct {
        float value;
        uint16_t q;
    } cases[] = {
        {0.5f, 0},      {0.0f, 0},
        {-20.0f, 65535}, {-12.0f, 65535},
        {-12.0f * 1.5f / 65535.0f, 0},  // the first interval gives 0
        {65533.5f * kQuantStep, 65535}, {65534.5f * kQuantStep, 65535},
    };
    for (const auto& c : cases) EXPECT_EQ(QuantiseLogProb(c.value), c.q) << c.value;
}

TEST(NgramQuantise, ValueInsideAnIntervalGivesItsUpperStep) {
    for (int q : {2, 3, 100, 4095, 32767, 32768, 40000, 65531, 65532}) {
        const float inside = static_cast<float>((q + 0.5) * kQuantStep);
        EXPECT_EQ(QuantiseLogProb(inside), q) << q;
        EXPECT_NEAR(zel::DequantiseLogProb(QuantiseLogProb(inside)), inside, -kQuantStep);
    }
}
