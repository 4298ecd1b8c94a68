#include "qav/index/build/corpus_prep.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "qav/index/base/config.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;
using qztest::ReadFile;

class CorpusPrepTest : public ::testing::Test {
protected:
    // Writes the corpus files (GBK) and a list naming them, then prepares.
    bool Prepare(const std::vector<std::string>& utf8Files, const std::string& listHead = "") {
        std::string list = listHead;
        for (size_t i = 0; i < utf8Files.size(); ++i) {
            std::string path = dir_.file("c" + std::to_string(i) + ".txt");
            qztest::WriteFile(path, Gbk(utf8Files[i]));
            list += path + "\n";
        }
        qztest::WriteFile(dir_.file("list.txt"), list);
        return Run();
    }

    bool Run(int threads = 1) {
        testing::internal::CaptureStdout();
        bool ok = qav::CreatePreFiles(dir_.path(), dir_.file("list.txt"), dir_.file("List.txt"), dir_.file("Org.txt"),
                                 dir_.file("DocInfo.txt"), dir_.file("SentInfo.txt"), &summary_, threads);
        log_ = testing::internal::GetCapturedStdout();
        return ok;
    }

    std::string Out(const std::string& name) { return qztest::Utf8(ReadFile(dir_.file(name))); }

    qztest::TempDir dir_;
    std::string log_;
    qav::CorpusSummary summary_;
};

TEST_F(CorpusPrepTest, WritesTheTextFilesOfTheIndexDirectory) {
    ASSERT_TRUE(Prepare({"#Global title=A;year=2020\n"
                         "我/r 爱/v\r\n"
                         "Item:x/n\n"
                         "Doc B\n"
                         "#Global k=v\n"
                         "POS=NN\n"
                         "Item:y/n\n"
                         "#Group=VP\n"
                         "Item:z/n\n",
                         "[IP [NP [中国 NR]] [VP [发展 VV]]]\n\n"},
                        "# comment\n-x\n y\n\\z\n\n"));
    const std::string d = dir_.path();
    EXPECT_EQ(Out("List.txt"), d + "/Data_0.txt\t0\n" + d + "/Data_1.txt\t1\n");
    EXPECT_EQ(Out("Data_0.txt"), "0\t我/r 爱/v\n1\tx/n\n2\ty/n\n3\t齄\n4\tz/n\n");
    // Line numbers go on across files; an empty line is a sentence.
    EXPECT_EQ(Out("Data_1.txt"), "5\t[IP [NP [中国 NR]] [VP [发展 VV]]]\n6\t\n");
    // A document ended by a "Doc " line keeps its empty name; one ended by the
    // end of its file without a name is named after the documents met.
    EXPECT_EQ(Out("Org.txt"), "#0\t2\nT:\nEx:\n#2\t5\nT:B\nEx:\n#5\t7\nT:Doc_1\nEx:\n");
    EXPECT_EQ(Out("DocInfo.txt"), "#0\ntitle=A\nyear=2020\n#1\nk=v\n#2\n");
    EXPECT_EQ(Out("SentInfo.txt"), "1\t0\ttext\n2\t1\tNN\n4\t1\tVP\n");
    EXPECT_NE(log_.find("  [DetectFileType] " + d + "/c1.txt : 1/1 tree lines (100%) -> type=1\n"), std::string::npos);
}

// Files prepared side by side number their sentences and documents on from
// the files before them, and everything comes out in the order of the list,
// as with one thread.
TEST_F(CorpusPrepTest, FilesPreparedSideBySideComeOutInListOrder) {
    const std::vector<std::string> corpus = {
        "s0\nDoc A\n#Global a=1\nItem:x\ns1\n",
        "Doc B\nDoc C\n#Group=VP\nItem:y\n",
        "",
        "t0\n" + std::string(102401, 'y') + "\nDoc D\n#Global d=4\nPOS=NN\nItem:z\n",
        "u0\nu1\n",
    };
    const std::vector<std::string> outputs = {"List.txt", "Data_0.txt", "Data_1.txt", "Data_2.txt",
                                              "Data_3.txt", "Data_4.txt", "Org.txt", "DocInfo.txt", "SentInfo.txt"};
    ASSERT_TRUE(Prepare(corpus));
    std::vector<std::string> oneThread;
    for (const std::string& name : outputs) oneThread.push_back(Out(name));
    const std::string oneThreadLog = log_;
    EXPECT_EQ(oneThread[6], "#0\t1\nT:\nEx:\n#1\t3\nT:A\nEx:\n#3\t5\nT:C\nEx:\n#5\t6\nT:\nEx:\n"
                            "#6\t7\nT:D\nEx:\n#7\t9\nT:Doc_4\nEx:\n");
    EXPECT_EQ(oneThread[8], "1\t1\ttext\n4\t2\tVP\n6\t4\tNN\n");
    for (int threads : {2, 8}) {
        summary_ = {};
        ASSERT_TRUE(Run(threads));
        for (size_t i = 0; i < outputs.size(); ++i) EXPECT_EQ(Out(outputs[i]), oneThread[i]) << outputs[i];
        EXPECT_EQ(log_, oneThreadLog);
        EXPECT_EQ(summary_.readFiles, 5);
        EXPECT_EQ(summary_.lines, 17);
        EXPECT_EQ(summary_.tooLong, 1);
    }
}

// A file that fails stops the preparation there: nothing of the files after
// it is said or left behind, though they were prepared beside it.
TEST_F(CorpusPrepTest, AFailedFileEndsThePreparationWhereItStands) {
    ASSERT_TRUE(Prepare({"a\nb\n", "c\n", "d\n"}));
    qztest::WriteFile(dir_.file("c1.txt"), "c\n\x81\n");
    for (int threads : {1, 4}) {
        std::remove(dir_.file("Data_2.txt").c_str());
        summary_ = {};
        ASSERT_FALSE(Run(threads));
        EXPECT_NE(log_.find("Error: " + dir_.file("c1.txt") + " line 2 is not GBK text (byte 1)"), std::string::npos)
            << log_;
        EXPECT_EQ(log_.find(dir_.file("c2.txt")), std::string::npos) << log_;
        EXPECT_EQ(Out("Data_1.txt"), "2\tc\n");
        EXPECT_FALSE(std::filesystem::exists(dir_.file("Data_2.txt"))) << threads;
        EXPECT_EQ(summary_.readFiles, 1);
        EXPECT_EQ(summary_.lines, 4);
    }
}

TEST_F(CorpusPrepTest, DocumentBoundaries) {
    struct Case {
        const char* corpus;
        const char* org;
    };
    const Case cases[] = {
        {"s1\ns2\n", "#0\t2\nT:Doc_0\nEx:\n"},
        {"s1\nDoc A\ns2\n", "#0\t1\nT:\nEx:\n#1\t2\nT:A\nEx:\n"},
        {"Doc A\nDoc B\ns1\ns2\n", "#0\t2\nT:B\nEx:\n"},
        {"Doc A\n", ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Prepare({c.corpus}));
        EXPECT_EQ(Out("Org.txt"), c.org) << c.corpus;
    }
}

TEST_F(CorpusPrepTest, UnreadableLinesAreReportedAndSkipped) {
    const std::string longest(102400, 'x');
    const std::string over(102401, 'y');
    ASSERT_TRUE(Prepare({"a\n" + over + "\n" + longest + "\nb\n"}));
    EXPECT_EQ(Out("Data_0.txt"), "0\ta\n1\t" + longest + "\n2\tb\n");
    EXPECT_NE(log_.find("Warning: " + dir_.file("c0.txt") + " line 2 dropped: longer than 102400 bytes\n"),
              std::string::npos)
        << log_;

    qztest::WriteFile(dir_.file("c0.txt"), std::string("a\n\0b\nc\n", 7));
    ASSERT_TRUE(Run());
    EXPECT_EQ(Out("Data_0.txt"), "0\ta\n1\tc\n");
    EXPECT_NE(log_.find("Warning: " + dir_.file("c0.txt") + " line 2 dropped: it holds a zero byte\n"),
              std::string::npos)
        << log_;
}

TEST_F(CorpusPrepTest, CorpusSizeLimit) {
    const std::string path = dir_.file("big.txt");
    // A listed file that cannot be opened adds nothing to the size.
    qztest::WriteFile(dir_.file("list.txt"), path + "\n" + dir_.file("missing.txt") + "\n");
    const std::string list_path = dir_.file("no/List.txt");  // stops the run right after the size check
    for (off_t size : {off_t{1073741824}, off_t{1073741825}}) {
        int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, size), 0);  // sparse: takes no disk space
        close(fd);
        qav::g_nCorpusSize = 0;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(qav::CreatePreFiles(dir_.path(), dir_.file("list.txt"), list_path, dir_.file("Org.txt"),
                                    dir_.file("DocInfo.txt"), dir_.file("SentInfo.txt")));
        const std::string log = testing::internal::GetCapturedStdout();
        if (size == 1073741824) {
            EXPECT_EQ(qav::g_nCorpusSize, 1073741824);
            EXPECT_EQ(log, "Create or open " + list_path + " error\n");
        } else {
            EXPECT_EQ(qav::g_nCorpusSize, 0);
            EXPECT_EQ(log, "Error: total corpus size (1073741825 bytes) exceeds limit (1073741824 bytes)\n");
        }
    }
}

TEST_F(CorpusPrepTest, MissingCorpusFileFailsTheRun) {
    qztest::WriteFile(dir_.file("list.txt"), dir_.file("missing.txt") + "\n");
    EXPECT_FALSE(Run());
    EXPECT_NE(log_.find("Error open " + dir_.file("missing.txt") + "\n"), std::string::npos);
}

TEST_F(CorpusPrepTest, FileKindFromItsLines) {
    const std::string round = "(IP (NP (NR 中国)) (VP (VV 发展)))\n";
    const std::string square = "[IP [NP [中国 NR]] [VP [发展 VV]]]\n";
    auto lines = [](int n, const std::string& line) {
        std::string text;
        for (int i = 0; i < n; ++i) text += line;
        return text;
    };
    struct Case {
        std::string corpus;
        int kind, tree_lines, considered;
    };
    const Case cases[] = {
        {lines(5, round) + lines(5, "我/r\n"), 2, 5, 10},
        {lines(4, round) + lines(6, "我/r\n"), 0, 4, 10},
        {lines(5, square) + lines(5, "[IP [/w x] y] z]\n"), 1, 5, 10},
        // Control lines, group separators and empty items are not considered.
        {"Doc a\n#Global x\n#Group=v\npos=n\nPOS=n\nPos=n\n\nItem:\n齄\n" + square, 1, 1, 1},
        {"Item:" + square + "a\n", 1, 1, 2},
        {"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        qztest::WriteFile(dir_.file("k.txt"), Gbk(c.corpus));
        int tree_lines = -1, considered = -1;
        EXPECT_EQ(qav::DetectFileType(dir_.file("k.txt"), tree_lines, considered), c.kind) << c.corpus;
        EXPECT_EQ(tree_lines, c.tree_lines) << c.corpus;
        EXPECT_EQ(considered, c.considered) << c.corpus;
    }
}

TEST_F(CorpusPrepTest, DetectionLooksAtTheFirst2000ConsideredLines) {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "a/b\n";
    for (int i = 0; i < 3000; ++i) text += "[IP [NP [x NR]] [VP [y VV]]]\n";
    qztest::WriteFile(dir_.file("k.txt"), text);
    int tree_lines = 0, considered = 0;
    EXPECT_EQ(qav::DetectFileType(dir_.file("k.txt"), tree_lines, considered), 0);
    EXPECT_EQ(considered, 2000);
}

}  // namespace
