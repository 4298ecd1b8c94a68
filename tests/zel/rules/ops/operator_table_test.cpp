#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "support/test_support.h"
#include "zel/rules/ops/operator_table.h"

namespace zel {
namespace {

using qztest::ReadFile;
using qztest::TempDir;
using qztest::WriteFile;

std::string Int(int32_t value) {
    std::string bytes(4, '\0');
    std::memcpy(&bytes[0], &value, 4);
    return bytes;
}

std::string Text(const std::string& text) { return Int(static_cast<int32_t>(text.size())) + text; }

// The binary library of name/body pairs in the order given.
std::string Library(std::initializer_list<std::pair<std::string, std::string>> snippets) {
    std::string bytes = Int(static_cast<int32_t>(snippets.size()));
    for (const auto& [name, body] : snippets) bytes += Text(name) + Text(body);
    return bytes;
}

TEST(OperatorTable, SourceCompilesToSortedLibraryAndListing) {
    TempDir dir;
    WriteFile(dir.file("ops.txt"), ".B\nx\n.A\ny\n");
    COperatorTable table;
    ASSERT_TRUE(table.ReadInFile(dir.file("ops.txt").c_str(), "sub"));
    ASSERT_TRUE(table.WriteToFile(dir.file("ops.sub").c_str(), "SUB"));
    EXPECT_EQ(ReadFile(dir.file("ops.sub")), Library({{"A", "y\n"}, {"B", "x\n"}}));

    COperatorTable listing;
    ASSERT_TRUE(listing.ReadInFile(dir.file("ops.txt").c_str(), "table"));
    ASSERT_TRUE(listing.WriteToFile(dir.file("ops.lst").c_str(), "Table"));
    EXPECT_EQ(ReadFile(dir.file("ops.lst")), ".R([^x ]{B})\n.R([^y ]{A})\n");

    // Other modes keep no body and write nothing.
    ASSERT_TRUE(listing.ReadInFile(dir.file("ops.txt").c_str(), "lua"));
    ASSERT_EQ(listing.count(), 2);
    EXPECT_EQ(listing.snippets()[0].body, "");
    EXPECT_TRUE(listing.WriteToFile(dir.file("none").c_str(), "lua"));
    EXPECT_EQ(ReadFile(dir.file("none")), "");
}

TEST(OperatorTable, SourceLinesSkippedTrimmedAndKept) {
    TempDir dir;
    WriteFile(dir.file("ops.txt"),
              "orphan\n"
              ".F  \r\n"
              "{\n"
              "a = 1 \t\r\n"
              "}\n"
              "(comment\n"
              ")\n"
              "/ note\n"
              "\n"
              " .not a header\n"
              "\treturn  a\n"
              ".G\n"
              "b c  d");
    COperatorTable table;
    ASSERT_TRUE(table.ReadInFile(dir.file("ops.txt").c_str(), "sub"));
    ASSERT_EQ(table.count(), 2);
    EXPECT_EQ(table.snippets()[0].name, "F");
    EXPECT_EQ(table.snippets()[0].body, "a = 1\n .not a header\n\treturn  a\n");
    EXPECT_EQ(table.snippets()[1].body, "b c  d\n");
    ASSERT_TRUE(table.ReadInFile(dir.file("ops.txt").c_str(), "table"));
    EXPECT_EQ(table.snippets()[1].body, "^b ^c ^d ");

    EXPECT_FALSE(table.ReadInFile(dir.file("missing.txt").c_str(), "sub"));
    EXPECT_FALSE(table.WriteToFile(dir.file("no/such/dir.sub").c_str(), "sub"));
}

TEST(OperatorTable, LaterLibraryWinsInTheMap) {
    TempDir dir;
    WriteFile(dir.file("one.sub"), Library({{"A", "first"}, {"B", "only"}}));
    WriteFile(dir.file("two.sub"), Library({{"A", "second"}}));
    COperatorTable table;
    ASSERT_TRUE(table.ReadOneLib(dir.file("one.sub").c_str()));
    ASSERT_TRUE(table.ReadOneLib(dir.file("two.sub").c_str()));
    ASSERT_NE(table.LibraryBody("A"), nullptr);
    EXPECT_EQ(*table.LibraryBody("A"), "second");
    EXPECT_EQ(*table.LibraryBody("B"), "only");
    EXPECT_EQ(table.LibraryBody("C"), nullptr);
    EXPECT_EQ(table.count(), 0);  // the map only; the array is untouched

    // Two snippets of one name in one source: both are kept, in source
    // order, so the later body is the one the map ends with.
    WriteFile(dir.file("twice.txt"), ".A\nfirst\n.A\nlater\n");
    COperatorTable source;
    ASSERT_TRUE(source.ReadInFile(dir.file("twice.txt").c_str(), "sub"));
    ASSERT_TRUE(source.WriteToFile(dir.file("twice.sub").c_str(), "sub"));
    ASSERT_TRUE(table.ReadOneLib(dir.file("twice.sub").c_str()));
    EXPECT_EQ(*table.LibraryBody("A"), "later\n");
}

TEST(OperatorTable, DamagedLibrariesAreRefusedWhole) {
    TempDir dir;
    const std::string good = Library({{"A", "x"}, {"B", "y"}});
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"count past the data", Int(3) + Text("A") + Text("x")},
        {"negative count", Int(-1)},
        {"negative length", Int(1) + Int(-5) + Text("x")},
        {"length past the end", Int(1) + Text("A") + Int(100) + "x"},
        {"bytes left over", good + "z"},
        {"cut short", good.substr(0, good.size() - 1)},
    };
    COperatorTable table;
    ASSERT_TRUE(table.ReadOneLib(dir.file("missing").c_str()) == false);
    WriteFile(dir.file("good.sub"), good);
    ASSERT_TRUE(table.ReadOneLib(dir.file("good.sub").c_str()));
    for (const Case& c : cases) {
        WriteFile(dir.file("bad.sub"), c.bytes);
        EXPECT_FALSE(table.ReadOneLib(dir.file("bad.sub").c_str())) << c.what;
        EXPECT_FALSE(table.OperatorInit(dir.file("bad.sub").c_str())) << c.what;
        EXPECT_EQ(table.count(), 0) << c.what;
        EXPECT_EQ(*table.LibraryBody("A"), "x") << c.what;
    }
    WriteFile(dir.file("none.sub"), Int(0));
    EXPECT_TRUE(table.OperatorInit(dir.file("none.sub").c_str()));
}

TEST(OperatorTable, MergesKeepTheFirstBodyOfAName) {
    TempDir dir;
    WriteFile(dir.file("src.txt"), ".A\nnew\n");
    WriteFile(dir.file("lib.sub"), Library({{"A", "old\n"}, {"C", "c\n"}}));
    COperatorTable merged;
    ASSERT_TRUE(merged.Merge2Table(dir.file("src.txt").c_str(), dir.file("lib.sub").c_str()));
    EXPECT_EQ(ReadFile(dir.file("lib.sub")), Library({{"A", "new\n"}, {"C", "c\n"}}));

    COperatorTable a, b, result;
    WriteFile(dir.file("a.txt"), ".Z\nz\n.A\na1\n.A\na2\n");
    WriteFile(dir.file("b.txt"), ".A\nb\n.B\nb\n");
    ASSERT_TRUE(a.ReadInFile(dir.file("a.txt").c_str(), "sub"));
    ASSERT_TRUE(b.ReadInFile(dir.file("b.txt").c_str(), "sub"));
    ASSERT_TRUE(result.MergeTwoTable(a, b, dir.file("ab.sub").c_str()));
    EXPECT_EQ(ReadFile(dir.file("ab.sub")), Library({{"A", "a1\n"}, {"B", "b\n"}, {"Z", "z\n"}}));

    // A source merged over a library that cannot be decoded leaves it alone.
    WriteFile(dir.file("bad.sub"), Int(9));
    EXPECT_FALSE(merged.Merge2Table(dir.file("src.txt").c_str(), dir.file("bad.sub").c_str()));
    EXPECT_EQ(ReadFile(dir.file("bad.sub")), Int(9));
    // A missing library is made.
    ASSERT_TRUE(merged.Merge2Table(dir.file("src.txt").c_str(), dir.file("fresh.sub").c_str()));
    EXPECT_EQ(ReadFile(dir.file("fresh.sub")), Library({{"A", "new\n"}}));
}

TEST(OperatorTable, FunctionLibraryLoadsIntoTheProcessTable) {
    TempDir dir;
    WriteFile(dir.file("func.sub"), Library({{"F", "f"}}));
    ASSERT_TRUE(FuncInit(dir.file("func.sub").c_str()));
    ASSERT_EQ(g_OperatorTable.count(), 1);
    EXPECT_EQ(g_OperatorTable.snippets()[0].body, "f");
    FuncExit();
    EXPECT_EQ(g_OperatorTable.count(), 0);
}

}  // namespace
}  // namespace zel
