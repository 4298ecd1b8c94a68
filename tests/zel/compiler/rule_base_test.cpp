// Compiling a rule-base list into its index, data and library files.
#include <gtest/gtest.h>

#include "block_reader.h"
#include "compiler_fixture.h"
#include "zel/compiler/rule_base_compiler.h"
#include "zel/rules/format/operator_library.h"

using Texts = std::vector<std::string>;

class RuleBase : public InWorkFolder {
protected:
    std::vector<zel::FsaIndexEntry> Compile(const std::string& utf8List) {
        WriteGbk("demo.txt", utf8List);
        EXPECT_TRUE(zel::RuleIdx("demo.txt", "demofsa.idx", "demofsa.dat"));
        std::vector<zel::FsaIndexEntry> entries;
        EXPECT_TRUE(DecodeIndex(qztest::ReadFile("demofsa.idx"), entries));
        return entries;
    }
    zel::FsaBlock Block(const zel::FsaIndexEntry& entry) {
        zel::FsaBlock block;
        EXPECT_TRUE(DecodeBody(BlockAt(qztest::ReadFile("demofsa.dat"), entry.offset), block));
        return block;
    }
    // Snippets of the library file, by name.
    static std::map<std::string, std::string> Library(const std::string& path) {
        std::vector<zel::OperatorSnippet> snippets;
        EXPECT_TRUE(zel::DecodeOperatorLibrary(qztest::ReadFile(path), snippets));
        std::map<std::string, std::string> byName;
        for (const zel::OperatorSnippet& snippet : snippets) byName[snippet.name] = snippet.body;
        return byName;
    }
};

const char kDemoList[] =
    "-- a rule base\n"
    "FuncLib demolib\n"
    "    function Tagged(id, t) AddUnitKV(id, \"Tag\", t) end\n"
    "FSA np(Dist=10)\n"
    "#param Order=No\n"
    "POS=a Entry: [POS=n]\n"
    "{\n"
    "  local w = GetWord(GetUnit(0)) .. \"+\" .. GetWord(GetUnit(1))\n"
    "  AddGridKV(\"NP\", w)\n"
    "}\n"
    "@HELLO  -- a code network\n"
    "{\n"
    "  WebPrint(\"hello\")\n"
    "}\n"
    "@COPY\n"
    "==np\n";

TEST_F(RuleBase, ListWithLibraryPatternNetworkCodeNetworkAndAlias) {
    const std::vector<zel::FsaIndexEntry> entries = Compile(kDemoList);
    ASSERT_EQ(3u, entries.size());
    EXPECT_EQ("NP", entries[0].name);
    EXPECT_EQ("HELLO  ", entries[1].name);  // blanks before a comment stay
    EXPECT_EQ("COPY", entries[2].name);
    EXPECT_EQ(0, entries[0].offset);
    EXPECT_LT(entries[0].offset, entries[1].offset);
    EXPECT_EQ(entries[0].offset, entries[2].offset);
    for (const zel::FsaIndexEntry& entry : entries) EXPECT_EQ((Texts{"demolib"}), entry.libraries);
    EXPECT_EQ((Texts{"Dist=10", "Order=No"}), entries[0].defaults);
    EXPECT_EQ((Texts{"Entry0=[POS=n]"}), entries[0].conditions);
    EXPECT_TRUE(entries[2].defaults.empty() && entries[2].conditions.empty());

    const zel::FsaBlock np = Block(entries[0]);
    EXPECT_EQ("np", np.name);
    EXPECT_EQ((Texts{"POS=a", "Entry0"}), Texts(np.atoms.begin(), np.atoms.begin() + 2));
    EXPECT_EQ((std::vector<int32_t>{2}), Sets(np).at("POS=a"));
    // A network whose only rule is its action: start, end and the action.
    const zel::FsaBlock hello = Block(entries[1]);
    EXPECT_EQ(3u, hello.forward.size());
    EXPECT_EQ(1u, hello.atoms.size());

    EXPECT_EQ((std::map<std::string, std::string>{
                  {"demolib", "    function Tagged(id, t) AddUnitKV(id, \"Tag\", t) end\n"}}),
              Library("demofsa.sub"));
    EXPECT_EQ((std::set<std::string>{"demo.txt", "demofsa.idx", "demofsa.dat", "demofsa.sub"}), Files());
}

TEST_F(RuleBase, EveryLibrarySectionIsKept) {
    Compile("NameSpace a\n  x = 1\nFSA N\n( a )\n{\nf()\n}\nFuncLib b\n  y = 2\n.c\n  z = 3\nFSA subject\n  w = 4\n");
    EXPECT_EQ((std::map<std::string, std::string>{{"a", "  x = 1\n"}, {"b", "  y = 2\n"}, {"c", "  z = 3\n"},
                                                  {"subject", "  w = 4\n"}}),
              Library("demofsa.sub"));
}

TEST_F(RuleBase, BareFuncLibOpensTheDefaultLibrary) {
    const std::vector<zel::FsaIndexEntry> entries = Compile("FSA N\n( a )\n{\nf()\n}\nFuncLib\n  y = 2\n");
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ((Texts{"demo"}), entries[0].libraries);
    EXPECT_EQ((std::map<std::string, std::string>{{"demo", "  y = 2\n"}}), Library("demofsa.sub"));
}

TEST_F(RuleBase, FailingNetworkGetsNoEntryAndTheListGoesOn) {
    const std::vector<zel::FsaIndexEntry> entries =
        Compile("FSA A\n( a )\n{\nf()\n}\nFSA BAD\n( a )\n{\nf($nobody)\n}\n@C\n#include Lib2\n( c )\n{\ng()\n}\n");
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("A", entries[0].name);
    EXPECT_EQ("C", entries[1].name);
    EXPECT_EQ((Texts{"Lib2"}), entries[1].libraries);
    const std::set<std::string> files = Files();
    EXPECT_FALSE(files.count("BAD.reg") || files.count("BAD.net_"));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Error Idx Rule Named BAD\n"));
}

TEST_F(RuleBase, LogSwitchKeepsTheDumps) {
    zel::g_bIsLogOn = true;
    Compile("FSA A\n( a )\n{\nf()\n}\n");
    zel::g_bIsLogOn = false;
    EXPECT_TRUE(Files().count("A.log"));
    EXPECT_FALSE(Files().count("A.reg"));
}

TEST_F(RuleBase, EntryMarkers) {
    struct Case {
        const char* line;
        const char* rest;
        const char* condition;
    } cases[] = {
        {"VP Entry: NP", "VP Entry0 ", "Entry0=[NP]"},
        {"a Entry: [Tag=NP] b", "a Entry0  b", "Entry0=[Tag=NP]"},
        {"a Entry:[x", "a Entry0 ", "Entry0=[x"},
    };
    for (const Case& c : cases) {
        std::string rest, condition;
        int counter = 0;
        std::map<std::string, int> known;
        EXPECT_FALSE(zel::ProcessEntry(c.line, rest, counter, known, condition));
        EXPECT_EQ(c.rest, rest);
        EXPECT_EQ(c.condition, condition);
        EXPECT_EQ(1, counter);
        // The same token again is rewritten with the same number.
        EXPECT_TRUE(zel::ProcessEntry(c.line, rest, counter, known, condition));
        EXPECT_EQ(c.rest, rest);
        EXPECT_EQ("", condition);
    }
    const std::vector<zel::FsaIndexEntry> entries = Compile("FSA N\nEntry: [Tag=NP] a\nb Entry: [Tag=NP]\n{\nf()\n}\n");
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ((Texts{"Entry0=[Tag=NP]"}), entries[0].conditions);
}

TEST_F(RuleBase, NamesParametersAndDefaultLibrary) {
    std::string name = "NP(Dist=10,,Order=No)";
    std::vector<std::string> defaults{"old"};
    zel::CheckParam(name, defaults);
    EXPECT_EQ("NP", name);
    EXPECT_EQ((Texts{"Dist=10", "Order=No"}), defaults);

    WriteGbk("rules.txt", "FSA A\n( a )\n");
    EXPECT_EQ("rules", zel::GetFuncLibInfo(dir_.path() + "/rules.txt"));
    WriteGbk("rules", "FSA A\n");
    EXPECT_EQ("", zel::GetFuncLibInfo("./rules"));
    WriteGbk("lib.txt", "FuncLib one\nFuncLib two -- comments are not cut here\nFuncLib\n");
    EXPECT_EQ("here", zel::GetFuncLibInfo("lib.txt"));
}

TEST_F(RuleBase, FolderCompile) {
    WriteGbk("np.txt", "FSA NP\n( a )\n{\nf()\n}\n");
    ASSERT_TRUE(zel::RuleIdx2("np.txt", "out"));
    const std::set<std::string> files = Files();
    EXPECT_TRUE(files.count("out"));
    EXPECT_FALSE(qztest::ReadFile("out/npfsa.idx").empty());
    EXPECT_FALSE(qztest::ReadFile("out/npfsa.dat").empty());

    EXPECT_FALSE(zel::RuleIdx("none.txt", "x.idx", "x.dat"));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Error Idx Rule none.txt\n"));
}

// Every example list of the rule-language guide compiles without a message.
TEST_F(RuleBase, GuideExamplesCompile) {
    const std::string guide = qztest::ReadFile(qztest::DataDir() + "/../../docs/rule-language.md");
    ASSERT_FALSE(guide.empty());
    int examples = 0;
    for (size_t at = guide.find("```rules\n"); at != std::string::npos; at = guide.find("```rules\n", at)) {
        at += 9;
        const size_t end = guide.find("```", at);
        zel::ClearCompilerMessageLog();
        const std::vector<zel::FsaIndexEntry> entries = Compile(guide.substr(at, end - at));
        EXPECT_FALSE(entries.empty()) << guide.substr(at, end - at);
        EXPECT_EQ("", zel::CompilerMessageLog());
        at = end;
        ++examples;
    }
    EXPECT_EQ(5, examples);
}
