#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"
#include "writable_text.h"
#include "zel/lattice/error_msg.h"
#include "zel/models/ngram_builder.h"
#include "zel/service/start_state.h"
#include "zellib.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;
using Targets = std::map<std::string, std::string>;

using zeltest::Writable;

TEST(SectionedFiles, SectionsGoToTheirOwnFilesWithTheLastTreeLine) {
    qztest::TempDir dir;
    const std::string longLine(1500, 'x');
    qztest::WriteFile(dir.file("rules.txt"),
                      "// comment\r\nbefore any section\r\n#NP\r\nline1\r\n^(tree one)\r\n-- comment\r\nline2\r\n"
                      "^(tree two)\r\n#VP\r\nv1\r\n" + longLine + "\n");
    std::vector<char> folder = Writable(dir.path()), file = Writable("rules.txt"), name = Writable("Gram");
    Files files;
    Targets targets;
    ASSERT_TRUE(GetLocalInfo(folder.data(), files, file.data(), name.data(), targets));
    const std::string np = dir.file("Tmp_NP"), vp = dir.file("Tmp_VP");
    EXPECT_EQ(files, (Files{{np, "NP"}, {vp, "VP"}}));
    EXPECT_EQ(targets, (Targets{{np, dir.file("Gram_NP")}, {vp, dir.file("Gram_VP")}}));
    EXPECT_EQ(qztest::ReadFile(np), "line1\n^(tree one)\nline2\n^(tree two)\n");
    EXPECT_EQ(qztest::ReadFile(dir.file("Gram_NP_Tree")), "(tree two)");
    // Lines are read in pieces of at most 1,023 bytes.
    EXPECT_EQ(qztest::ReadFile(vp), "v1\n" + std::string(1023, 'x') + "\n" + std::string(477, 'x') + "\n");
    EXPECT_EQ(access(dir.file("Gram_VP_Tree").c_str(), F_OK), -1);
}

TEST(SectionedFiles, UnreadableAndUnwritableFilesFail) {
    qztest::TempDir dir;
    std::vector<char> folder = Writable(dir.path()), file = Writable("none.txt"), name = Writable("G");
    Files files;
    Targets targets;
    EXPECT_FALSE(GetLocalInfo(folder.data(), files, file.data(), name.data(), targets));
    EXPECT_NE(std::string(zel::MessageLog()).find("Error Open " + dir.file("none.txt")), std::string::npos);

    std::vector<char> missing = Writable(dir.file("no/such"));
    std::vector<char> kind = Writable("NP");
    std::vector<std::string> lines = {"a"};
    EXPECT_FALSE(WriteToFile(missing.data(), name.data(), kind.data(), lines, files, targets));
    EXPECT_EQ(files.size(), 1u);  // recorded before the write
}

TEST(SectionedFiles, StructInfoIsTheFirstLine) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("s.txt"), "first line\r\nsecond\n");
    std::string text = "stale";
    GetStructInfo(dir.file("s.txt"), text);
    EXPECT_EQ(text, "first line");
    GetStructInfo(dir.file("none.txt"), text);
    EXPECT_EQ(text, "");
}

TEST(HostUtilities, PrintLogEntryFormat) {
    qztest::TempDir dir;
    std::vector<char> text = Writable("hello"), tag = Writable("TAG");
    zel::g_szLogFile.clear();
    PrintLog(text.data(), tag.data());  // no log file named: nothing
    zel::g_szLogFile = dir.file("log.txt");
    _Lock();  // the lock is free again after _Unlock
    _Unlock();
    PrintLog(text.data(), tag.data());
    PrintLog(text.data(), tag.data());
    zel::g_szLogFile.clear();
    // asctime's form: "Fri Dec 11 00:00:27 2026\n" (the day padded with a blank).
    const std::string entry =
        "#<TAG>\t[A-Z][a-z]{2} [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\nhello\n";
    EXPECT_TRUE(std::regex_match(qztest::ReadFile(dir.file("log.txt")), std::regex(entry + entry)))
        << qztest::ReadFile(dir.file("log.txt"));
}

TEST(HostUtilities, Prints) {
    std::vector<char> text = Writable("count");
    testing::internal::CaptureStdout();
    DBPrint(text.data(), 12);
    PrintMsg("a", "b");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(std::regex_match(out, std::regex("count<12>\na\tb\t[A-Z][a-z]{2} .* [0-9]{4}\n"))) << out;
}

TEST(HostUtilities, WorkingPathAndTestModel) {
    qztest::TempDir dir;
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    SetWorkingPath(dir.path().c_str());
    qztest::WriteFile("probe.txt", "here");
    EXPECT_EQ(qztest::ReadFile(dir.file("probe.txt")), "here");

    // Without the test model nothing is loaded or printed.
    testing::internal::CaptureStdout();
    TestNGram();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    const std::string data = qztest::DataDir() + "/ngram/";
    ASSERT_TRUE(zel::CreateIdx(data + "chars.txt", data + "plain.txt", "d:\\tmp\\testlm\\test.idx",
                               "d:\\tmp\\testlm\\test.dat", zel::NgramBuildMode::Plain, 0));
    testing::internal::CaptureStdout();
    TestNGram();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "L Init Done!\n");
    SetWorkingPath(before);
}

TEST(HostUtilities, ExportedDecoderAndNumberReader) {
    int count = 0;
    EXPECT_EQ(CBase64().Decode("TWFu\r\nTQ==", 10, count), "ManM");
    EXPECT_EQ(count, 4);
    unsigned char bytes[4] = {0, 0, 1, 44};
    EXPECT_EQ(get_unsigned_int(bytes), 300u);
}

}  // namespace
