// The compiled rule-base files: the test writer's bytes against a hand-made
// block, and decoding of damaged bodies.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/fsa_writer.h"
#include "support/test_support.h"
#include "zel/rules/format/fsa_format.h"

namespace zel {
namespace {

using qztest::Gbk;

// Little-endian pieces of the expected bytes, written without the encoder.
std::string I32(int32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return out;
}
std::string Txt(const std::string& bytes) { return I32(static_cast<int32_t>(bytes.size())) + bytes; }
std::string Hex(const char* hex) {
    std::string out;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) out += static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16));
    return out;
}

const char kAction[] = "hits=(hits or 0)+1";

// The NP network of ENTER, EXIT, 北京 (tag 0), 大学 (tag 1), Return, worked
// out field by field.
std::string ExpectedNpBody() {
    std::string filter(641, '\0');
    filter[22] = 0x40;   // GetHash(北京) = 5449163, mod 641 = 22, bit 6
    filter[209] = 0x02;  // GetHash(大学) = 5602549, mod 641 = 209, bit 1
    filter[436] = 0x10;  // GetHash(action) = 3376677543, mod 641 = 436, bit 4
    const std::string zeroFloat = I32(0);
    std::string body = Txt("NP") + I32(2) + I32(641) + filter;
    body += I32(5) + I32(0) + I32(4);
    body += I32(3) + Txt(Hex("B1B1BEA9")) + Txt(Hex("B4F3D1A7")) + Txt(kAction);
    // forward: type, atom, tag, words+weights, carets, attrs, others, tables
    body += I32(0) + I32(-1) + I32(-1) + I32(1) + I32(2) + zeroFloat + I32(0) + I32(0) + I32(0) + I32(0);
    body += I32(1) + I32(-1) + I32(-1) + I32(0) + I32(0) + I32(0) + I32(0) + I32(0);
    body += I32(3) + I32(0) + I32(0) + I32(1) + I32(3) + zeroFloat + I32(0) + I32(0) + I32(0) + I32(0);
    body += I32(3) + I32(1) + I32(1) + I32(0) + I32(0) + I32(0) + I32(1) + I32(4) + I32(0);
    body += I32(5) + I32(2) + I32(-1) + I32(0) + I32(0) + I32(0) + I32(1) + I32(1) + I32(0);
    // backward: words + second array, attrs, tables, starts
    body += I32(0) + I32(0) + I32(0) + I32(0);
    body += I32(0) + I32(0) + I32(0) + I32(0);
    body += I32(0) + I32(0) + I32(0) + I32(1) + I32(0);
    body += I32(1) + I32(2) + I32(0) + I32(0) + I32(0) + I32(0);
    body += I32(0) + I32(0) + I32(0) + I32(0);
    // one-entry length tables (last, first), then the node sets
    body += I32(1) + std::string("\x02\x00\x02\x00", 4);
    body += I32(2) + Txt(Hex("B1B1BEA9")) + I32(1) + I32(2) + Txt(Hex("B4F3D1A7")) + I32(1) + I32(3);
    return body;
}

TEST(FsaFiles, WriterMatchesHandMadeBytes) {
    qztest::TempDir dir;
    qztest::WriteRuleBase(dir.path(), "T", {{"NP", qztest::TwoWordNet("NP", kAction)}});
    std::string body = ExpectedNpBody();
    EXPECT_EQ(qztest::ReadFile(dir.file("Tfsa.dat")), I32(static_cast<int32_t>(body.size())) + body);
    EXPECT_EQ(qztest::ReadFile(dir.file("Tfsa.idx")), I32(1) + Txt("NP") + I32(0) + I32(0) + I32(0) + I32(0));
}

TEST(FsaFiles, FileNames) {
    std::string idx, dat;
    FsaFileNames("d", "T", idx, dat);
    EXPECT_EQ(idx, "d/Tfsa.idx");
    EXPECT_EQ(dat, "d/Tfsa.dat");
    FsaFileNames("d", "myfsa", idx, dat);
    EXPECT_EQ(idx, "d/myfsa.idx");
    EXPECT_EQ(dat, "d/myfsa.dat");
}

TEST(FsaFiles, DecodesWhatItEncodes) {
    FsaBlock written = qztest::BuildFsaBlock(qztest::TwoWordNet("NP", kAction));
    FsaBlock read;
    ASSERT_TRUE(DecodeFsaBody(EncodeFsaBody(written), read));
    EXPECT_EQ(read.atoms, written.atoms);
    EXPECT_EQ(read.forward[3].others, std::vector<int32_t>{4});
    EXPECT_EQ(read.backward[3].words, std::vector<int32_t>{2});
    ASSERT_EQ(read.sets.size(), 2u);
    EXPECT_EQ(read.sets[1].nodes, std::vector<int32_t>{3});
}

// Every cut of a body short of its end fails (a cut exactly after the
// forward records is a valid body without the backward part), and so do
// trailing bytes and references to nodes or atoms that do not exist.
TEST(FsaFiles, RefusesDamagedBodies) {
    FsaBlock block = qztest::BuildFsaBlock(qztest::TwoWordNet("NP", kAction));
    block.hasBackward = false;
    const size_t forwardEnd = EncodeFsaBody(block).size();
    block.hasBackward = true;
    const std::string body = EncodeFsaBody(block);
    FsaBlock read;
    for (size_t cut = 0; cut < body.size(); ++cut) {
        EXPECT_EQ(DecodeFsaBody(std::string_view(body.data(), cut), read), cut == forwardEnd) << "cut at " << cut;
    }
    EXPECT_FALSE(DecodeFsaBody(body + std::string(1, '\0'), read));

    FsaBlock badNode = block;
    badNode.forward[2].words = {5};
    EXPECT_FALSE(DecodeFsaBody(EncodeFsaBody(badNode), read));
    FsaBlock badAtom = block;
    badAtom.forward[2].atom = 3;
    EXPECT_FALSE(DecodeFsaBody(EncodeFsaBody(badAtom), read));
    FsaBlock badSet = block;
    badSet.sets[0].nodes = {-1};
    EXPECT_FALSE(DecodeFsaBody(EncodeFsaBody(badSet), read));
    std::string hugeCount = body;
    const int32_t huge = 0x7FFFFFFF;
    std::memcpy(hugeCount.data() + 6 + 4 + 4 + 641, &huge, 4);  // node count
    EXPECT_FALSE(DecodeFsaBody(hugeCount, read));
}

}  // namespace
}  // namespace zel
