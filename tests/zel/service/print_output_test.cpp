#include "zel/service/print_output.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/service/base64.h"

namespace zel {
namespace {

TEST(Base64, EncodeCases) {
    const struct {
        std::string data;
        std::string text;
    } cases[] = {
        {"", ""},
        {"M", "TQ=="},
        {"Ma", "TWE="},
        {"Man", "TWFu"},
        {std::string(57, '\0'), std::string(76, 'A') + "\n"},
        {std::string(58, '\0'), std::string(76, 'A') + "\nAA=="},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CBase64().Encode(c.data.data(), static_cast<int>(c.data.size())), c.text) << c.data.size();
}

TEST(Base64, DecodeRoundTripAndEdges) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 7);
    const std::string text = CBase64().Encode(bytes.data(), static_cast<int>(bytes.size()));
    int count = 0;
    EXPECT_EQ(CBase64().Decode(text.data(), static_cast<int>(text.size()), count), bytes);
    EXPECT_EQ(count, 300);

    const struct {
        std::string text;
        std::string bytes;
    } cases[] = {
        {"TQ==", "M"},
        {"TWE=", "Ma"},
        {"TWFu\r\nTQ==", "ManM"},
        {"TWFuTW", "ManM"},  // a trailing partial group keeps its whole bytes
        {"TWFu!TWFu", "Man"},  // a foreign character ends the text
    };
    for (const auto& c : cases) {
        count = 0;
        EXPECT_EQ(CBase64().Decode(c.text.data(), static_cast<int>(c.text.size()), count), c.bytes) << c.text;
        EXPECT_EQ(count, static_cast<int>(c.bytes.size()));
    }
}

// A PNG signature and header chunk of width x height, then some body bytes.
std::string Png(unsigned width, unsigned height) {
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (unsigned v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((v >> shift) & 0xFF);
    return bytes + "body";
}

TEST(PrintOutput, PngSizeAndImageElement) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("tree.png"), Png(300, 200));
    qztest::WriteFile(dir.file("short.png"), "\x89PNG");
    unsigned width = 1, height = 1;
    GetPngWH(dir.file("tree.png").c_str(), width, height);
    EXPECT_EQ(width, 300u);
    EXPECT_EQ(height, 200u);
    for (const char* name : {"short.png", "none.png"}) {
        GetPngWH(dir.file(name).c_str(), width, height);
        EXPECT_EQ(width, 0u);
        EXPECT_EQ(height, 0u);
    }
    const unsigned char big[4] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(get_unsigned_int(big), 0x12345678u);

    const std::string out = dir.file("out.txt");
    g_fpLuaOutfile = std::fopen(out.c_str(), "w");
    ASSERT_NE(g_fpLuaOutfile, nullptr);
    lua_print_hook("plain line");
    lua_print_hook(("@_@" + dir.file("tree.png")).c_str());
    lua_print_hook(("@_@" + dir.file("none.png")).c_str());
    std::fclose(g_fpLuaOutfile);
    g_fpLuaOutfile = nullptr;
    lua_print_hook("after the run");  // no file open: nothing is written

    const std::string png = Png(300, 200);
    const std::string b64 = CBase64().Encode(png.data(), static_cast<int>(png.size()));
    EXPECT_EQ(qztest::ReadFile(out), "plain line\n<img src=\"data:image/png;base64,\n" + b64 +
                                         "\"\nalt=\"tree.png\" data-href=\"\" style=\"width: 300px;height: 200px;\">\n");
}

}  // namespace
}  // namespace zel
