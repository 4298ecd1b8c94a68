// The 16-bit log-probability scale shared by every value of the n-gram model
// files: q stands for q * kQuantStep, 0 for 0.0 and 65535 for -12.0.
#pragma once

#include <cstdint>

namespace zel {

constexpr float kQuantStep = -12.0f / 65535.0f;
constexpr float kNgramFloor = -12.0f;

// Binary search for the step of v on the scale from min to max in the given
// number of steps. The builder always calls it as Lianghua(-12, 0, 65535, v);
// the search must stay exactly as it is so that equal input gives
// byte-identical files.
uint16_t Lianghua(float min, float max, int steps, float v);

inline uint16_t QuantiseLogProb(float v) { return Lianghua(-12.0f, 0.0f, 65535, v); }
inline float DequantiseLogProb(uint16_t q) { return static_cast<float>(q) * kQuantStep; }

}  // namespace zel
