// A brute-force reading of the committed sample corpus (tests/data/sample),
// independent of the index code: documents, sentences as word/tag lists,
// constituents of the tree lines, and searches over them that the golden
// tests of the query road compare with the engine's answers. All texts GBK.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qztest {

struct OracleWord {
    std::string text;
    std::string tag;
    int clause = 0;  // clause separators before the word in its sentence
};

struct OracleNode {
    std::string label;
    int begin = 0;  // word span [begin, end)
    int end = 0;
};

struct OracleDoc {
    std::string name;  // "" for a document ended by a "Doc " line without a name
    std::map<std::string, std::string> info;
};

struct OracleSentence {
    int file = 0;  // position of its corpus file in the list
    int doc = 0;   // index into OracleCorpus::docs
    std::string pos;    // the current tag of an "Item:" sentence, else ""
    bool item = false;  // an "Item:" sentence: the index keeps its document and tag
    // Index of its first word in the index's word stream: the sentences'
    // words one after the other, each sentence followed by the end mark "|"
    // unless its last word ends a clause, after the data file's 2,048-byte
    // head (512 words). With one data file (a small corpus) the sentence key
    // is this position.
    long long position = 0;
    std::vector<OracleWord> words;
    std::vector<OracleNode> nodes;  // phrase constituents of a tree line
};

// One hit: words [begin, end) of a sentence, with optional groups (word
// indices, -1 when unset).
struct OracleHit {
    int sent = 0;
    int begin = 0;
    int end = 0;
    int g1b = -1, g1e = -1, g2b = -1, g2e = -1;
};
using Hits = std::vector<OracleHit>;

class OracleCorpus {
public:
    // Reads the corpus list (paths relative to its folder); a file whose name
    // begins with "tree_" holds tree lines. clauseSeparators are the words
    // that count clauses.
    OracleCorpus(const std::string& listPath, const std::vector<std::string>& clauseSeparators);

    const std::vector<OracleSentence>& sentences() const { return sentences_; }
    const std::vector<OracleDoc>& docs() const { return docs_; }
    std::vector<std::string> files() const { return files_; }

    // Concatenated texts of words [begin, end) of a sentence.
    std::string Text(int sent, int begin, int end) const;

    // Hits of the query language's units.
    Hits Literal(const std::string& pattern) const;                     // text with '.' wildcards
    Hits Tagged(const std::string& tag) const;                          // <TAG>
    Hits TextThenTag(const std::string& text, const std::string& tag) const;  // text<TAG>
    Hits TagThenText(const std::string& tag, const std::string& text) const;  // <TAG>text
    Hits Constituents(const std::string& label) const;                  // $LABEL
    Hits ConstituentsEndingWith(const std::string& label, const std::string& text) const;  // $LABEL=text
    Hits TextEndingConstituent(const std::string& text) const;          // text$
    Hits WordTag(const std::string& text, const std::string& tag) const;  // text/TAG

    // A sentence of fewer than two words has no index units: the engine
    // never finds it, and the searches here skip it too.
    bool Searchable(int sent) const { return sentences_[sent].words.size() >= 2; }

    // Pairs of hits of one sentence joined into a hit spanning both.
    enum class Relation {
        Link, Gap, OtherClause, InChunk, SameBoundary, ShareTag, ShareQuery, SameLeft, SameRight, SameSent
    };
    Hits Join(const Hits& left, const Hits& right, Relation relation) const;

    // Sentence-level set operations: the hits of a and of b in sentences
    // with both, all hits of both, the hits of a in sentences without b.
    static Hits And(const Hits& a, const Hits& b);
    // The AND as the engine builds it: each probe hit in a sentence with
    // list hits, followed by every list hit of that sentence (so list hits
    // repeat once per probe hit of their sentence).
    static Hits AndProbe(const Hits& probe, const Hits& list);
    static Hits Or(const Hits& a, const Hits& b);
    static Hits Not(const Hits& a, const Hits& b);
    // The hits of a in sentences with b (b's hits not kept).
    static Hits Within(const Hits& a, const Hits& b);

    static Hits Where(const Hits& hits, const std::function<bool(const OracleHit&)>& keep);


private:
    void ReadFile(int fileNo, const std::string& path, bool tree);
    void AddSentence(int fileNo, const std::string& line, bool tree, const std::string& pos, bool item);
    bool MatchesText(const std::string& pattern, int sent, int begin, int end) const;

    std::vector<std::string> clauseSeparators_;
    std::vector<std::string> files_;
    std::vector<OracleDoc> docs_;
    std::vector<OracleSentence> sentences_;
    long long docsMet_ = 0;
    long long nextPosition_ = 512;  // "Doc " lines over the whole list, as the build counts them
};

// Characters of a GBK text: a byte of 0x81 or above begins a two-byte one.
std::vector<std::string> GbkChars(const std::string& text);

}  // namespace qztest
