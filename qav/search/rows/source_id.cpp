#include "qav/search/rows/source_id.h"

namespace qav {

namespace {

constexpr uint64_t kFileMask = 0x5D;
constexpr uint64_t kPositionMask = 0x3C81B7E2;
constexpr uint64_t kBase = 62;
constexpr uint64_t kLimit = uint64_t{1} << 40;

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 36;
    return -1;
}

}  // namespace

const char g_b62[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::string EncodeSourceId(uint8_t fileNo, uint32_t position) {
    uint64_t v = (fileNo ^ kFileMask) | ((position ^ kPositionMask) << 8);
    std::string id;
    for (;;) {
        id.push_back(g_b62[v % kBase]);
        if (v < kBase) break;
        v /= kBase;
    }
    return id;
}

bool DecodeSourceId(std::string_view id, uint8_t& fileNo, uint32_t& position) {
    if (id.empty() || id.size() > kMaxSourceIdDigits) return false;
    uint64_t v = 0;
    for (size_t i = id.size(); i-- > 0;) {
        const int digit = DigitValue(id[i]);
        if (digit < 0) return false;
        v = v * kBase + static_cast<uint64_t>(digit);  // 62^8 < 2^48: no overflow
    }
    v &= kLimit - 1;
    fileNo = static_cast<uint8_t>((v & 0xFF) ^ kFileMask);
    position = static_cast<uint32_t>((v >> 8) ^ kPositionMask);
    return true;
}

bool DecodeSourceId(std::string_view id, uint64_t& key) {
    uint8_t fileNo = 0;
    uint32_t position = 0;
    if (!DecodeSourceId(id, fileNo, position)) return false;
    key = (uint64_t{fileNo} << 32) | position;
    return true;
}

}  // namespace qav
