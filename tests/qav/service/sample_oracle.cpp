#include "sample_oracle.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

namespace qztest {

namespace {

bool StartsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

// Splits a text at blanks and tabs.
std::vector<std::string> Tokens(const std::string& line) {
    std::vector<std::string> tokens;
    std::string token;
    for (char c : line) {
        if (c == ' ' || c == '\t') {
            if (!token.empty()) tokens.push_back(token);
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

// Brackets and atoms of a tree line; a two-byte character is never a bracket.
std::vector<std::string> TreeTokens(const std::string& line) {
    std::vector<std::string> tokens;
    std::string atom;
    auto flush = [&] {
        if (!atom.empty()) tokens.push_back(atom);
        atom.clear();
    };
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c >= 0x81 && i + 1 < line.size()) {
            atom += line.substr(i, 2);
            ++i;
        } else if (c == '[' || c == ']' || c == '(' || c == ')') {
            flush();
            tokens.push_back(std::string(1, static_cast<char>(c)));
        } else if (c == ' ' || c == '\t') {
            flush();
        } else {
            atom += static_cast<char>(c);
        }
    }
    flush();
    return tokens;
}

struct TreeReader {
    const std::vector<std::string>& tokens;
    bool square;
    OracleSentence& sentence;
    size_t next = 0;

    static bool Open(const std::string& t) { return t == "[" || t == "("; }
    static bool Close(const std::string& t) { return t == "]" || t == ")"; }

    // Reads one bracketed node starting at an opening bracket.
    void Node() {
        ++next;  // the opening bracket
        std::vector<std::string> atoms;
        const int begin = static_cast<int>(sentence.words.size());
        bool hasChildren = false;
        while (next < tokens.size() && !Close(tokens[next])) {
            if (Open(tokens[next])) {
                hasChildren = true;
                Node();
            } else {
                atoms.push_back(tokens[next++]);
            }
        }
        ++next;  // the closing bracket
        if (!hasChildren && atoms.size() == 2) {
            OracleWord word;
            word.text = square ? atoms[0] : atoms[1];
            word.tag = square ? atoms[1] : atoms[0];
            sentence.words.push_back(word);
        } else if (hasChildren && !atoms.empty()) {
            sentence.nodes.push_back({atoms[0], begin, static_cast<int>(sentence.words.size())});
        }
    }
};

}  // namespace

std::vector<std::string> GbkChars(const std::string& text) {
    std::vector<std::string> chars;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t n = static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
        chars.push_back(text.substr(i, n));
        i += n - 1;
    }
    return chars;
}

OracleCorpus::OracleCorpus(const std::string& listPath, const std::vector<std::string>& clauseSeparators)
    : clauseSeparators_(clauseSeparators) {
    const std::string folder = listPath.substr(0, listPath.rfind('/') + 1);
    std::ifstream list(listPath);
    if (!list) throw std::runtime_error("cannot read " + listPath);
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#' || line[0] == ' ') continue;
        files_.push_back(folder + line);
    }
    for (size_t k = 0; k < files_.size(); ++k) {
        const std::string name = files_[k].substr(files_[k].rfind('/') + 1);
        ReadFile(static_cast<int>(k), files_[k], StartsWith(name, "tree_"));
    }
}

void OracleCorpus::ReadFile(int fileNo, const std::string& path, bool tree) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    OracleDoc current;
    size_t firstSentence = sentences_.size();
    std::string tag = "text";
    auto finish = [&](bool atEnd) {
        if (sentences_.size() == firstSentence) return;
        if (atEnd && current.name.empty()) current.name = "Doc_" + std::to_string(docsMet_);
        docs_.push_back(current);
        current.info.clear();
        firstSentence = sentences_.size();
    };
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (StartsWith(line, "Doc ")) {
            finish(false);
            ++docsMet_;
            current.name = line.substr(4);
        } else if (StartsWith(line, "#Global ")) {
            current.info.clear();
            std::string items = line.substr(8);
            std::replace(items.begin(), items.end(), ';', ' ');
            for (const std::string& item : Tokens(items)) {
                const size_t eq = item.find('=');
                if (eq != std::string::npos) current.info[item.substr(0, eq)] = item.substr(eq + 1);
            }
        } else if (StartsWith(line, "Item:")) {
            AddSentence(fileNo, line.substr(5), tree, tag, true);
        } else if (StartsWith(line, "#Group")) {
            AddSentence(fileNo, "\xF7\xFE", false, "", false);  // the group separator word
            const size_t eq = line.find('=');
            if (eq != std::string::npos) tag = line.substr(eq + 1);
        } else if (StartsWith(line, "POS=") || StartsWith(line, "Pos=") || StartsWith(line, "pos=")) {
            tag = line.substr(4);
        } else {
            AddSentence(fileNo, line, tree, "", false);
        }
    }
    finish(true);
}

void OracleCorpus::AddSentence(int fileNo, const std::string& line, bool tree, const std::string& pos, bool item) {
    OracleSentence sentence;
    sentence.file = fileNo;
    sentence.doc = static_cast<int>(docs_.size());
    sentence.pos = pos;
    sentence.item = item;
    if (tree) {
        const std::vector<std::string> tokens = TreeTokens(line);
        TreeReader reader{tokens, !tokens.empty() && tokens[0] == "[", sentence};
        while (reader.next < tokens.size()) {
            if (TreeReader::Open(tokens[reader.next])) reader.Node();
            else ++reader.next;
        }
    } else {
        for (const std::string& token : Tokens(line)) {
            const size_t slash = token.rfind('/');
            OracleWord word;
            word.text = slash == std::string::npos ? token : token.substr(0, slash);
            word.tag = slash == std::string::npos ? "" : token.substr(slash + 1);
            sentence.words.push_back(word);
        }
    }
    int clause = 0;
    bool endsClause = false;
    for (OracleWord& word : sentence.words) {
        word.clause = clause;
        endsClause =
            std::find(clauseSeparators_.begin(), clauseSeparators_.end(), word.text) != clauseSeparators_.end();
        if (endsClause) ++clause;
    }
    sentence.position = nextPosition_;
    if (!sentence.words.empty()) nextPosition_ += static_cast<long long>(sentence.words.size()) + (endsClause ? 0 : 1);
    sentences_.push_back(std::move(sentence));
}

std::string OracleCorpus::Text(int sent, int begin, int end) const {
    std::string text;
    for (int i = begin; i < end; ++i) text += sentences_[sent].words[i].text;
    return text;
}

bool OracleCorpus::MatchesText(const std::string& pattern, int sent, int begin, int end) const {
    const std::vector<std::string> want = GbkChars(pattern);
    const std::vector<std::string> have = GbkChars(Text(sent, begin, end));
    if (want.size() != have.size()) return false;
    for (size_t i = 0; i < want.size(); ++i) {
        if (want[i] != "." && want[i] != have[i]) return false;
    }
    return true;
}

Hits OracleCorpus::Literal(const std::string& pattern) const {
    const size_t length = GbkChars(pattern).size();
    Hits hits;
    for (int s = 0; s < static_cast<int>(sentences_.size()); ++s) {
        if (!Searchable(s)) continue;
        const int n = static_cast<int>(sentences_[s].words.size());
        for (int b = 0; b < n; ++b) {
            for (int e = b + 1; e <= n && GbkChars(Text(s, b, e)).size() <= length; ++e) {
                if (MatchesText(pattern, s, b, e)) hits.push_back({s, b, e});
            }
        }
    }
    return hits;
}

Hits OracleCorpus::Tagged(const std::string& tag) const {
    Hits hits;
    for (int s = 0; s < static_cast<int>(sentences_.size()); ++s) {
        if (!Searchable(s)) continue;
        const auto& words = sentences_[s].words;
        for (int i = 0; i < static_cast<int>(words.size()); ++i) {
            if (words[i].tag == tag) hits.push_back({s, i, i + 1});
        }
    }
    return hits;
}

Hits OracleCorpus::TextThenTag(const std::string& text, const std::string& tag) const {
    Hits hits;
    for (const OracleHit& h : Literal(text)) {
        const auto& words = sentences_[h.sent].words;
        if (h.end < static_cast<int>(words.size()) && words[h.end].tag == tag) hits.push_back({h.sent, h.begin, h.end + 1});
    }
    return hits;
}

Hits OracleCorpus::TagThenText(const std::string& tag, const std::string& text) const {
    Hits hits;
    for (const OracleHit& h : Literal(text)) {
        if (h.begin > 0 && sentences_[h.sent].words[h.begin - 1].tag == tag) hits.push_back({h.sent, h.begin - 1, h.end});
    }
    return hits;
}

Hits OracleCorpus::Constituents(const std::string& label) const {
    Hits hits;
    for (int s = 0; s < static_cast<int>(sentences_.size()); ++s) {
        if (!Searchable(s)) continue;
        const auto& words = sentences_[s].words;
        const auto separator = [&](int i) {
            return std::find(clauseSeparators_.begin(), clauseSeparators_.end(), words[i].text) != clauseSeparators_.end();
        };
        for (const OracleNode& node : sentences_[s].nodes) {
            // Constituents are indexed only within one clause, not ending on a separator.
            const int last = node.end - 1;
            if (words[node.begin].clause != words[last].clause || separator(node.begin) || separator(last)) continue;
            if (node.label == label) hits.push_back({s, node.begin, node.end});
        }
    }
    return hits;
}

Hits OracleCorpus::ConstituentsEndingWith(const std::string& label, const std::string& text) const {
    Hits hits;
    for (const OracleHit& c : Constituents(label)) {
        for (int b = c.end - 1; b >= c.begin; --b) {
            if (Text(c.sent, b, c.end) == text) {
                hits.push_back(c);
                break;
            }
        }
    }
    return hits;
}

Hits OracleCorpus::TextEndingConstituent(const std::string& text) const {
    Hits hits;
    for (const OracleHit& h : Literal(text)) {
        const auto& nodes = sentences_[h.sent].nodes;
        if (std::any_of(nodes.begin(), nodes.end(), [&](const OracleNode& n) { return n.end == h.end; })) {
            hits.push_back(h);
        }
    }
    return hits;
}

Hits OracleCorpus::WordTag(const std::string& text, const std::string& tag) const {
    return Where(Literal(text), [&](const OracleHit& h) { return sentences_[h.sent].words[h.end - 1].tag == tag; });
}

Hits OracleCorpus::Join(const Hits& left, const Hits& right, Relation relation) const {
    std::multimap<int, const OracleHit*> bySentence;
    for (const OracleHit& r : right) bySentence.emplace(r.sent, &r);
    Hits hits;
    for (const OracleHit& l : left) {
        const auto range = bySentence.equal_range(l.sent);
        for (auto it = range.first; it != range.second; ++it) {
            const OracleHit& r = *it->second;
            const auto& words = sentences_[l.sent].words;
            bool ok = false;
            switch (relation) {
                case Relation::Link: ok = r.begin == l.end; break;
                case Relation::Gap: ok = r.begin > l.end && words[l.begin].clause == words[r.begin].clause; break;
                case Relation::OtherClause: ok = r.begin > l.end && words[l.begin].clause != words[r.begin].clause; break;
                case Relation::InChunk: ok = r.begin >= l.begin && r.end <= l.end; break;
                case Relation::SameBoundary: ok = r.begin == l.begin && r.end == l.end; break;
                case Relation::ShareTag: ok = r.begin == l.end - 1; break;
                case Relation::ShareQuery: ok = r.begin == l.begin + 1; break;
                case Relation::SameLeft: ok = r.begin == l.begin && l.end >= r.end; break;
                case Relation::SameRight: ok = r.end == l.end; break;
                case Relation::SameSent: ok = true; break;
            }
            if (ok) hits.push_back({l.sent, std::min(l.begin, r.begin), std::max(l.end, r.end)});
        }
    }
    return hits;
}

Hits OracleCorpus::And(const Hits& a, const Hits& b) {
    Hits hits = Within(a, b);
    const Hits more = Within(b, a);
    hits.insert(hits.end(), more.begin(), more.end());
    return hits;
}

Hits OracleCorpus::Within(const Hits& a, const Hits& b) {
    std::set<int> inB;
    for (const OracleHit& h : b) inB.insert(h.sent);
    return Where(a, [&](const OracleHit& h) { return inB.count(h.sent) > 0; });
}

Hits OracleCorpus::AndProbe(const Hits& probe, const Hits& list) {
    std::multimap<int, const OracleHit*> bySentence;
    for (const OracleHit& h : list) bySentence.emplace(h.sent, &h);
    Hits hits;
    for (const OracleHit& p : probe) {
        const auto range = bySentence.equal_range(p.sent);
        if (range.first == range.second) continue;
        hits.push_back(p);
        for (auto it = range.first; it != range.second; ++it) hits.push_back(*it->second);
    }
    return hits;
}

Hits OracleCorpus::Or(const Hits& a, const Hits& b) {
    Hits hits = a;
    hits.insert(hits.end(), b.begin(), b.end());
    return hits;
}

Hits OracleCorpus::Not(const Hits& a, const Hits& b) {
    std::set<int> inB;
    for (const OracleHit& h : b) inB.insert(h.sent);
    return Where(a, [&](const OracleHit& h) { return inB.count(h.sent) == 0; });
}

Hits OracleCorpus::Where(const Hits& hits, const std::function<bool(const OracleHit&)>& keep) {
    Hits kept;
    std::copy_if(hits.begin(), hits.end(), std::back_inserter(kept), keep);
    return kept;
}

}  // namespace qztest
