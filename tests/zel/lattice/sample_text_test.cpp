#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/json_input.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/tree_line.h"

namespace zel {
namespace {

struct TaggedLine {
    std::vector<std::string> words, tags;
};

// The tagged sentences of the sample text (GBK lines of word/tag tokens);
// header, item and group lines are skipped.
std::vector<TaggedLine> SampleSentences() {
    std::istringstream text(qztest::ReadFile(qztest::DataDir() + "/sample/prose.txt"));
    std::vector<TaggedLine> lines;
    std::string line;
    while (std::getline(text, line)) {
        if (line.empty() || line[0] == '#' || line.find('=') != std::string::npos || line.rfind("Item:", 0) == 0)
            continue;
        TaggedLine tagged;
        std::istringstream tokens(line);
        std::string token;
        while (tokens >> token) {
            const size_t slash = token.rfind('/');
            if (slash == 0 || slash == std::string::npos || token.find_first_of("\"\\") != std::string::npos) continue;
            tagged.words.push_back(token.substr(0, slash));
            tagged.tags.push_back(token.substr(slash + 1));
        }
        if (!tagged.words.empty()) lines.push_back(tagged);
    }
    return lines;
}

std::string JsonOf(const TaggedLine& line) {
    std::string units, tags;
    for (size_t i = 0; i < line.words.size(); ++i) {
        units += (i ? ",\"" : "\"") + line.words[i] + "\"";
        tags += (i ? ",\"" : "\"") + line.tags[i] + "\"";
    }
    return "{\"Units\":[" + units + "],\"POS\":[" + tags + "]}";
}

TEST(SampleText, EverySentenceBuildsAndPrintsBack) {
    const std::vector<TaggedLine> sentences = SampleSentences();
    ASSERT_GT(sentences.size(), 100u);
    CLattice plain;
    for (const TaggedLine& line : sentences) {
        std::string joined;
        for (const std::string& word : line.words) joined += word;
        ASSERT_TRUE(plain.LatticeBuild(joined.c_str()));
        EXPECT_EQ(plain.GetLatticeString("Type=Word"), plain.normSentence);

        // A lattice per JSON sentence: each is built, printed and deleted.
        CLattice tagged;
        int from = -1, to = -1;
        ASSERT_TRUE(InputJson(&tagged, JsonOf(line).c_str(), "JSON", from, to)) << qztest::Utf8(joined);
        EXPECT_EQ(from, 0);
        EXPECT_EQ(to, tagged.columnCount - 1);
        // Every character is printed once: as part of a word or on its own.
        std::string printed = tagged.GetLatticeInfo("Type=Word", 0, tagged.columnCount - 1);
        std::string characters;
        for (size_t at = 0; at < printed.size();) {
            if (static_cast<unsigned char>(printed[at]) >= 0x80) {
                characters += printed.substr(at, 2);
                at += 2;
            } else if (printed[at] == '/') {
                at = printed.find(' ', at);
            } else {
                ++at;
            }
        }
        // Word units keep their letters' case, the columns are upper-cased.
        EXPECT_EQ(characters.size(), tagged.normSentence.size()) << qztest::Utf8(joined);
        EXPECT_EQ(tagged.normSentence, plain.normSentence);
    }
}

// Each tagged sentence as a tree line: a root over one leaf per word.
TEST(SampleText, EverySentenceAsATreeLine) {
    CLattice lattice;
    CQAVTree tree;
    int built = 0;
    for (const TaggedLine& line : SampleSentences()) {
        std::string treeLine = "(IP";
        std::string joined;
        // Separators inside a bracket cut tokens: such words cannot be written.
        bool writable = true;
        for (const std::string& word : line.words) writable = writable && word.find_first_of(",/;| \t") == std::string::npos;
        if (!writable) continue;
        for (size_t i = 0; i < line.words.size(); ++i) {
            treeLine += " (" + line.tags[i] + " " + line.words[i] + ")";
            joined += line.words[i];
        }
        treeLine += ")";
        int kind = 0;
        // Words with brackets of their own are not tree lines.
        if (!IsTreeLine(treeLine.c_str(), kind) || kind != 2 || !tree.ReadTree(treeLine.c_str(), kind)) continue;
        ASSERT_EQ(tree.NodeCount(), static_cast<int>(line.words.size()) + 1) << qztest::Utf8(treeLine);
        tree.SetWordNodeInfo();
        EXPECT_EQ(tree.RawText(), joined);
        ASSERT_TRUE(lattice.LatticeBuild(joined.c_str()));
        tree.SetLattice(&lattice);
        tree.Add2Lattice(false, false, 0, "T", "");
        for (int k = 1; k < tree.NodeCount(); ++k) {
            std::string id;
            tree.GetUnit(k, id);
            EXPECT_NE(id, "(-1,-1)") << qztest::Utf8(treeLine) << " " << k;
        }
        ++built;
    }
    EXPECT_GT(built, 100);
}

}  // namespace
}  // namespace zel
