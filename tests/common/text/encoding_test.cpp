#include "common/text/encoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/text/cp936_tables.h"
#include "support/test_support.h"

namespace {

using Units = std::vector<uint16_t>;
const char kSentinel = '\x5A';

std::string Hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

// Converts a counted GBK text; also checks that counting gives the same length
// and that the result is terminated when there is room.
Units DecodeGbk(const std::string& gbk) {
    const int count = cv_gbk_to_ucs16_ex(gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    Units out(static_cast<size_t>(count) + 1, 0xFFFF);
    EXPECT_EQ(cv_gbk_to_ucs16_ex(gbk.data(), static_cast<int>(gbk.size()), out.data(), count + 1), count);
    EXPECT_EQ(out[count], 0) << "terminator";
    out.pop_back();
    return out;
}

std::string EncodeGbk(const Units& ucs) {
    const int count = cv_ucs16_to_gbk_ex(ucs.data(), static_cast<int>(ucs.size()), nullptr, 0);
    std::string out(static_cast<size_t>(count) + 1, kSentinel);
    EXPECT_EQ(cv_ucs16_to_gbk_ex(ucs.data(), static_cast<int>(ucs.size()), out.data(), count + 1), count);
    EXPECT_EQ(out[count], '\0') << "terminator";
    out.pop_back();
    return out;
}

Units DecodeUtf8(const std::string& utf8) {
    const int count = cv_utf8_to_ucs16_ex(utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    Units out(static_cast<size_t>(count) + 1, 0xFFFF);
    EXPECT_EQ(cv_utf8_to_ucs16_ex(utf8.data(), static_cast<int>(utf8.size()), out.data(), count + 1), count);
    EXPECT_EQ(out[count], 0xFFFF) << "no terminator is written";
    out.pop_back();
    return out;
}

TEST(GbkDecode, Cases) {
    struct Case {
        std::string gbk;
        Units ucs;
    };
    const Case cases[] = {
        {"", {}},
        {"A\x81", {0x41}},                   // lone lead byte at the end is dropped
        {"\x81\x41", {0x4E04}},
        {"\xD6\xD0\xCE\xC4", {0x4E2D, 0x6587}},
        {"\xAA\xA1", {0xE000}},              // user-defined area, first block
        {"\xFE\xFE", {0xE4C5}},
        {"\xA1\x40", {0xE4C6}},
        {"\xA2\xAB", {0xE766}},              // unassigned positions, ascending
        {"\xFE\xA0", {0xE864}},
        {"\xA8\xA4", {0x00E0}},
        {"\x81\x20" "b", {0x20, 0x62}},      // not a character: one space, the 0x20 is gone
        {"\x81\x7F", {0x20}},
        {"\x81\xFF", {0x20}},
        {"\x80\xFF", {0x20AC, 0xF8F5}},
        {std::string("a\0b", 3), {0x61, 0x20, 0x62}},  // counted input: byte 0 is a space
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeGbk(c.gbk), c.ucs) << Hex(c.gbk);

    // Every ASCII character but NUL stands for itself (answers pass such
    // texts on unconverted).
    std::string ascii;
    Units same;
    for (int c = 1; c < 0x80; ++c) {
        ascii.push_back(static_cast<char>(c));
        same.push_back(static_cast<uint16_t>(c));
    }
    EXPECT_EQ(DecodeGbk(ascii), same);

    // The NUL-terminated form stops at the first byte 0 and agrees otherwise.
    uint16_t out[4];
    EXPECT_EQ(cv_gbk_to_ucs16("A\x81", out, 4), 1);
    EXPECT_EQ(gbk_to_ucs16("A\x81", nullptr, 0), 1);
    EXPECT_EQ(gbk_to_ucs16("", out, 4), 0);
    EXPECT_EQ(out[0], 0);
}

TEST(GbkEncode, Cases) {
    struct Case {
        Units ucs;
        std::string gbk;
    };
    const Case cases[] = {
        {{0x4E2D, 0x41}, "\xD6\xD0" "A"},
        {{0x0E01}, " "},                 // no mapping
        {{0x41, 0x0000, 0x42}, "A B"},   // unit 0 inside a counted input
        {{0x00E0}, "\xA8\xA4"},
        {{0x00C0}, "\xA8\xA4"},          // capital known only in lower case
        {{0x20AC}, "\x80"},
        {{0xF8F5}, "\xFF"},
        {{0x0080, 0x00FF}, "  "},
        {{0xE000}, "\xAA\xA1"},
        {{0xF900}, "\xD8\x4D"},          // compatibility ideographs
        {{0xF901}, "\xB8\xFC"},
        {{0xFA16}, "\xD8\x69"},
        {{0x3192}, "\xD2\xBB"},          // annotation mark
        {{0x322A}, "\xD4\xC2"},          // enclosed ideographs
        {{0x328A}, "\xD4\xC2"},
        {{0x3236}, "\xB2\xC6"},          // simplified form
        {{0x32A0}, "\xCF\xEE"},
        {{0x00B2, 0x00FE}, "2t"},         // look-alike letters and digits
        {{0x00A6, 0x00A2}, "|\xA1\xE9"},  // signs
        {{0xD83D, 0xDE00}, "  "},         // surrogates have no mapping
    };
    for (const Case& c : cases) EXPECT_EQ(Hex(EncodeGbk(c.ucs)), Hex(c.gbk)) << std::hex << c.ucs[0];

    const uint16_t text[] = {0x4E2D, 0x0041, 0};
    char out[8];
    EXPECT_EQ(ucs16_to_gbk(text, out, 8), 3);
    EXPECT_STREQ(out, "\xD6\xD0" "A");
}

TEST(Utf8Decode, Cases) {
    struct Case {
        std::string utf8;
        Units ucs;
    };
    const Case cases[] = {
        {"", {}},
        {"a\xE4\xB8\xAD", {0x61, 0x4E2D}},
        {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF", {0x7F, 0x80, 0x7FF, 0x800, 0xFFFF}},
        {"a\xF0\x9F\x98\x80" "b", {0x61, 0x62}},          // beyond U+FFFF: dropped
        {"a\xF8\x88\x80\x80\x80\xFC\x84\x80\x80\x80\x80" "b", {0x61, 0x62}},  // long forms
        {"\x80" "a\xBF", {0x61}},                         // stray continuation bytes
        {"a\xE4\xB8", {0x61}},                            // cut-off last sequence
        {"a\xF0\x9F\x98", {0x61}},
        {"\xC3" "Xb", {0x0000, 0x62}},                    // malformed: unit 0, sequence skipped
        {"\xE4\xB8Xb", {0x0000, 0x62}},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeUtf8(c.utf8), c.ucs) << Hex(c.utf8);

    uint16_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(utf8_to_ucs16("\xE4\xB8\xAD", out, 4), 1);
    EXPECT_EQ(out[0], 0x4E2D);
    EXPECT_EQ(out[1], 9);
}

TEST(Utf8Encode, Cases) {
    struct Case {
        Units ucs;
        std::string utf8;
    };
    const Case cases[] = {
        {{0x41, 0x7F}, "A\x7F"},
        {{0x80, 0x7FF}, "\xC2\x80\xDF\xBF"},
        {{0x800, 0x4E2D, 0xFFFF}, "\xE0\xA0\x80\xE4\xB8\xAD\xEF\xBF\xBF"},
        {{0xD83D, 0xDE00}, "\xED\xA0\xBD\xED\xB8\x80"},  // surrogates one by one
    };
    for (const Case& c : cases) {
        Units z = c.ucs;
        z.push_back(0);
        const int count = cv_ucs16_to_utf8(z.data(), nullptr, 0);
        std::string out(static_cast<size_t>(count) + 1, kSentinel);
        EXPECT_EQ(ucs16_to_utf8(z.data(), out.data(), count + 1), count);
        EXPECT_EQ(out[count], '\0');
        out.pop_back();
        EXPECT_EQ(Hex(out), Hex(c.utf8));
    }
}

TEST(Utf8Encode, OneCodePoint) {
    struct Case {
        int code_point;
        std::string utf8;
    };
    const Case cases[] = {
        {-1, ""},
        {0x24, "\x24"},
        {0x1F600, "\xF0\x9F\x98\x80"},
        {0x3FFFFFF, "\xFB\xBF\xBF\xBF\xBF"},
        {0x7FFFFFFF, "\xFD\xBF\xBF\xBF\xBF\xBF"},
    };
    for (const Case& c : cases) {
        const int size = static_cast<int>(c.utf8.size());
        char out[8];
        std::memset(out, kSentinel, sizeof out);
        EXPECT_EQ(cv_utf16_to_utf8_one(c.code_point, out, size - 1), size) << "no room";
        EXPECT_EQ(out[0], kSentinel);
        EXPECT_EQ(cv_utf16_to_utf8_one(c.code_point, out, size), size);
        EXPECT_EQ(Hex(std::string(out, static_cast<size_t>(size))), Hex(c.utf8));
        EXPECT_EQ(out[size], kSentinel);
    }
}

// A destination one character too small holds only whole characters, gets no
// terminator, and the whole length is still returned.
TEST(Capacity, WholeCharactersOnly) {
    using Convert = std::function<int(char* dst, int capacity)>;
    const std::string zhong = "\xD6\xD0", wen = "\xCE\xC4";          // GBK
    const std::string zhong8 = "\xE4\xB8\xAD", wen8 = "\xE6\x96\x87";  // UTF-8
    const uint16_t units[] = {0x4E2D, 0x6587, 0};
    struct Case {
        const char* name;
        Convert convert;
        std::string whole;
        int capacity;
        std::string written;
    };
    const Case cases[] = {
        {"ucs16_to_gbk", [&](char* d, int n) { return ucs16_to_gbk(units, d, n); }, zhong + wen, 3, zhong},
        {"ucs16_to_gbk exact", [&](char* d, int n) { return ucs16_to_gbk(units, d, n); }, zhong + wen, 4, zhong + wen},
        {"ucs16_to_utf8", [&](char* d, int n) { return ucs16_to_utf8(units, d, n); }, zhong8 + wen8, 5, zhong8},
        {"ucs16_to_utf8 one unit", [&](char* d, int n) { return ucs16_to_utf8(units + 1, d, n); }, wen8, 2, ""},
        {"gbk_to_utf8", [&](char* d, int n) { return gbk_to_utf8((zhong + wen).c_str(), d, n); }, zhong8 + wen8, 5, zhong8},
        {"cv_gbk_to_utf8", [&](char* d, int n) { return cv_gbk_to_utf8((zhong + wen).c_str(), d, n); }, zhong8 + wen8, 5, zhong8},
        {"utf8_to_gbk", [&](char* d, int n) { return utf8_to_gbk((zhong8 + wen8).c_str(), d, n); }, zhong + wen, 3, zhong},
        {"cv_utf8_to_gbk", [&](char* d, int n) { return cv_utf8_to_gbk((zhong8 + wen8).c_str(), d, n); }, zhong + wen, 1, ""},
    };
    for (const Case& c : cases) {
        std::string out(16, kSentinel);
        EXPECT_EQ(c.convert(out.data(), c.capacity), static_cast<int>(c.whole.size())) << c.name;
        EXPECT_EQ(Hex(out.substr(0, c.written.size())), Hex(c.written)) << c.name;
        EXPECT_EQ(out.find_first_not_of(kSentinel, c.written.size()), std::string::npos) << c.name;
        EXPECT_EQ(c.convert(nullptr, 0), static_cast<int>(c.whole.size())) << c.name << " counting";
    }

    uint16_t ucs[2] = {0xFFFF, 0xFFFF};
    EXPECT_EQ(gbk_to_ucs16((zhong + wen).c_str(), ucs, 1), 2);
    EXPECT_EQ(ucs[0], 0x4E2D);
    EXPECT_EQ(ucs[1], 0xFFFF);
}

TEST(GbkUtf8, MalformedUtf8EndsTheGbkText) {
    char out[16];
    EXPECT_EQ(utf8_to_gbk("ab\xC3X" "cd", out, sizeof out), 2);
    EXPECT_STREQ(out, "ab");
    UTF8_2_GBK("ab\xC3X" "cd", out);
    EXPECT_STREQ(out, "ab");
}

TEST(GbkUtf8, RoundTripThroughSupportHelpers) {
    const std::string text = "中文 text，标点！ＡＢ①㈠€";
    EXPECT_EQ(qztest::Utf8(qztest::Gbk(text)), text);
    EXPECT_EQ(qztest::Gbk("中"), "\xD6\xD0");
}

// Texts longer than every stack intermediate convert exactly into a
// destination of exactly their size (the sanitizer catches any overrun).
TEST(GbkUtf8, LongTexts) {
    const int kChars = 120000;  // above the 102,404-unit stack buffer
    std::string gbk, utf8;
    for (int i = 0; i < kChars; ++i) {
        gbk += i % 3 ? "\xD6\xD0" : "a";
        utf8 += i % 3 ? "\xE4\xB8\xAD" : "a";
    }
    std::vector<char> out(utf8.size() + 1);
    GBK2UTF8(gbk.c_str(), out.data());
    EXPECT_TRUE(std::string(out.data()) == utf8);
    out.assign(gbk.size() + 1, kSentinel);
    UTF8_2_GBK(utf8.c_str(), out.data());
    EXPECT_TRUE(std::string(out.data()) == gbk);

    using Convert = int (*)(const char*, char*, int);
    for (Convert to_utf8 : {gbk_to_utf8, cv_gbk_to_utf8}) {
        out.assign(utf8.size() + 1, kSentinel);
        EXPECT_EQ(to_utf8(gbk.c_str(), out.data(), static_cast<int>(out.size())), static_cast<int>(utf8.size()));
        EXPECT_TRUE(std::string(out.data()) == utf8);
    }
    for (Convert to_gbk : {utf8_to_gbk, cv_utf8_to_gbk}) {
        out.assign(gbk.size() + 1, kSentinel);
        EXPECT_EQ(to_gbk(utf8.c_str(), out.data(), static_cast<int>(out.size())), static_cast<int>(gbk.size()));
        EXPECT_TRUE(std::string(out.data()) == gbk);
    }
}

TEST(Tables, DecodingRoundTripsThroughEncoding) {
    int decoding = 0;
    for (int index = 0; index < 65536; ++index) {
        const uint16_t unit = qz::g_gbk2ucs[index];
        if (!unit) continue;
        ++decoding;
        const int code = index & 0xFF ? index : index >> 8;  // single bytes sit at byte * 256
        EXPECT_EQ(qz::g_ucs2gbk[unit], code) << std::hex << index;
    }
    EXPECT_EQ(decoding, 24069);

    int encoding = 0;
    for (uint16_t code : qz::g_ucs2gbk) encoding += code != 0;
    EXPECT_EQ(encoding, 24069 + 412) << "the inverse plus the one-way best-fit entries";
}

TEST(Tables, EveryGbkPositionHasOneCharacter) {
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const bool position = trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
            EXPECT_EQ(qz::g_gbk2ucs[lead * 256 + trail] != 0, position) << std::hex << lead << " " << trail;
        }
    }
    EXPECT_EQ(qz::g_ucs2gbk[0x0080], 0);
    EXPECT_EQ(qz::g_ucs2gbk[0x00FF], 0);
}

TEST(Classify, GbkBytes) {
    struct Case {
        unsigned char lead, trail;
        bool han;
    };
    const Case cases[] = {
        {0xB0, 0xA1, true}, {0xF7, 0xFE, true}, {0xB0, 0x3F, false}, {0xF8, 0xA1, false},
        {0x81, 0x40, true}, {0xA0, 0xFE, true}, {0x81, 0x7F, true},  {0x81, 0x3F, false},
        {0xAA, 0x40, true}, {0xFE, 0xA0, true}, {0xAA, 0xA1, false}, {0xA9, 0x96, true},
        {0xA9, 0x95, false}, {0xA1, 0xA1, false},
    };
    for (const Case& c : cases) EXPECT_EQ(cv_is_gbk_han(c.lead, c.trail) != 0, c.han) << std::hex << +c.lead << " " << +c.trail;

    EXPECT_FALSE(cv_is_gbk_leadbyte(0x80));
    EXPECT_TRUE(cv_is_gbk_leadbyte(0x81));
    EXPECT_TRUE(cv_is_gbk_leadbyte(0xFE));
    EXPECT_FALSE(cv_is_gbk_leadbyte(0xFF));
}

TEST(Classify, ChineseLine) {
    struct Case {
        std::string gbk;
        bool chinese;
    };
    const Case cases[] = {
        {"", false},
        {"plain ascii", false},
        {qztest::Gbk("abc中"), true},
        {"\x81\x40\xA1\xA1", false},  // GBK/3 Han and a symbol are not GB2312 Han
        {"\x81\xB0\xA1", true},       // pairs are looked at byte by byte
        {"\xB0", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsChineseLine(c.gbk.c_str()) != 0, c.chinese) << Hex(c.gbk);
}

TEST(Utf8Sequence, Sizes) {
    const std::pair<unsigned char, int> cases[] = {
        {0x00, 1}, {0x7F, 1}, {0x80, 0}, {0xBF, 0}, {0xC0, 2}, {0xDF, 2}, {0xE0, 3},
        {0xEF, 3}, {0xF0, 4}, {0xF7, 4}, {0xF8, 5}, {0xFB, 5}, {0xFC, 6}, {0xFF, 6},
    };
    for (const auto& [byte, size] : cases) {
        const char c = static_cast<char>(byte);
        EXPECT_EQ(enc_get_utf8_size(&c), size) << std::hex << +byte;
    }
}

TEST(Utf8Sequence, DecodeOne) {
    struct Case {
        std::string utf8;
        int utf16_result;
        uint16_t unit;
        int unicode_result;
        uint64_t code;
    };
    const Case cases[] = {
        {"A", 1, 0x41, 1, 0x41},
        {"\xE4\xB8\xAD", 3, 0x4E2D, 3, 0x4E2D},
        {"\xF0\x9F\x98\x80", 4, 0, 4, 0x1F600},
        {"\xFD\xBF\xBF\xBF\xBF\xBF", 6, 0, 6, 0x7FFFFFFF},
        {"\xC3X", 0, 0, 0, 0},
        {"\xE4\xB8", 0, 0, 0, 0},  // the NUL is no continuation byte
        {"\x80", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        uint16_t unit = 0xFFFF;
        uint64_t code = ~0ull;
        EXPECT_EQ(enc_utf8_to_utf16_one(c.utf8.c_str(), &unit), c.utf16_result) << Hex(c.utf8);
        EXPECT_EQ(unit, c.unit) << Hex(c.utf8);
        EXPECT_EQ(enc_utf8_to_unicode_one(c.utf8.c_str(), &code), c.unicode_result) << Hex(c.utf8);
        EXPECT_EQ(code, c.code) << Hex(c.utf8);
        EXPECT_EQ(enc_utf8_to_utf16_one(c.utf8.c_str(), nullptr), enc_get_utf8_size(c.utf8.c_str()));
    }
}

TEST(Ucs16, Length) {
    const uint16_t text[] = {0x41, 0x4E2D, 0};
    EXPECT_EQ(ucs16_length(text), 2);
    EXPECT_EQ(ucs16_length(text + 2), 0);
}

}  // namespace
