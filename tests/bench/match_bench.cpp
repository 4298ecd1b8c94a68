// Matching throughput over real sentences: one network of word-pair rules
// (the most frequent adjacent word pairs of the text, each "w1 w2" with its
// own action), anchored at every entry word of every sentence, first without
// and then with gap search. Run by bench/run.sh match; it lives here because
// it drives the engine below the exported functions.
//
// usage: match_bench TAGGED_GBK_TEXT [SENTENCES] [RULES]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/fsa_writer.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/match/engine.h"
#include "zel/rules/net/rule_net.h"

namespace {

using Words = std::vector<std::pair<std::string, std::string>>;  // word, POS

// Lines of "word/POS" tokens; header and comment lines are skipped.
std::vector<Words> ReadSentences(const char* path, size_t limit) {
    std::ifstream in(path, std::ios::binary);
    std::vector<Words> sentences;
    std::string line;
    while (sentences.size() < limit && std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line.find('/') == std::string::npos || line.rfind("Item:", 0) == 0 ||
            line.rfind("pos=", 0) == 0) {
            continue;
        }
        Words words;
        std::istringstream tokens(line);
        std::string token;
        while (tokens >> token) {
            size_t slash = token.rfind('/');
            if (slash == 0 || slash == std::string::npos) continue;
            words.emplace_back(token.substr(0, slash), token.substr(slash + 1));
        }
        if (words.size() >= 2) sentences.push_back(std::move(words));
    }
    return sentences;
}

bool Chinese(const std::string& word) {
    return word.size() >= 2 && static_cast<unsigned char>(word[0]) >= 0xB0;
}

qztest::NetSpec PairRules(const std::vector<Words>& sentences, size_t rules) {
    std::map<std::pair<std::string, std::string>, int> counts;
    for (const Words& words : sentences) {
        for (size_t k = 0; k + 1 < words.size(); ++k) {
            if (Chinese(words[k].first) && Chinese(words[k + 1].first)) ++counts[{words[k].first, words[k + 1].first}];
        }
    }
    std::vector<std::pair<int, std::pair<std::string, std::string>>> ranked;
    for (const auto& [pair, count] : counts) ranked.push_back({count, pair});
    std::sort(ranked.rbegin(), ranked.rend());
    qztest::NetSpec spec;
    spec.name = "PAIRS";
    spec.nodes = {{zel::ENTER, ""}, {zel::EXIT, ""}};
    for (size_t r = 0; r < std::min(rules, ranked.size()); ++r) {
        const int first = static_cast<int>(spec.nodes.size());
        spec.nodes.push_back({zel::WORD, ranked[r].second.first, 0});
        spec.nodes.push_back({zel::WORD, ranked[r].second.second, 1});
        spec.nodes.push_back({zel::Return, "rule" + std::to_string(r)});
        spec.edges.insert(spec.edges.end(), {{0, first}, {first, first + 1}, {first + 1, first + 2}, {first + 2, 1}});
    }
    return spec;
}

struct Totals {
    long attempts = 0;
    long matches = 0;
};

void MatchSentence(zel::CLattice& lattice, zel::CRuleNet& net, const char* params, Totals& totals) {
    const zel::MatchAction count = [&totals](zel::CLattice&, const std::string&) { ++totals.matches; };
    std::vector<std::string> nodes;
    const int last = lattice.columnCount - 1;
    for (int c = 0; c <= last; ++c) {
        for (int length = 1; length <= net.longestEntry && c + length - 1 <= last; ++length) {
            int n = 0;
            net.entryIndex.GetKVs(lattice.normSentence.substr(static_cast<size_t>(c) * 2, static_cast<size_t>(length) * 2).c_str(), nodes, n);
            for (int k = 0; k < n; ++k) {
                net.SetRuleParam(&lattice, params);
                int dist = 0;
                net.GetLen_LiHe(&lattice, dist);
                const std::string anchor = "(" + std::to_string(c + length - 1) + "," + std::to_string(-length) + ")";
                zel::FSA_Match_Enter(lattice, anchor.c_str(), net, std::stoi(nodes[static_cast<size_t>(k)]), 0, last, dist, count);
                net.ClearParam(&lattice);
                ++totals.attempts;
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: match_bench TAGGED_GBK_TEXT [SENTENCES] [RULES]\n");
        return 2;
    }
    const size_t wanted = argc > 2 ? std::stoul(argv[2]) : 1000;
    const size_t rules = argc > 3 ? std::stoul(argv[3]) : 200;
    std::vector<Words> sentences = ReadSentences(argv[1], wanted);
    zel::CRuleNet net;
    const std::string body = zel::EncodeFsaBody(qztest::BuildFsaBlock(PairRules(sentences, rules)));
    if (!net.RuleNetInit_Buf(body.data(), body.size())) return 1;
    std::printf("%zu sentences, %zu rules, %d nodes\n", sentences.size(), rules, net.nodeCount);

    std::vector<std::string> texts;
    for (const Words& words : sentences) {
        std::string text;
        for (const auto& word : words) text += word.first;
        texts.push_back(text);
    }
    // One lattice, rebuilt per sentence; only the matching is timed.
    zel::CLattice lattice;
    using Clock = std::chrono::steady_clock;
    for (const char* params : {"Nearby=Yes", "Fast=Yes"}) {
        Totals totals;
        Clock::duration matching{};
        size_t built = 0;
        for (const std::string& text : texts) {
            if (!lattice.LatticeBuild(text.c_str())) continue;
            ++built;
            const auto start = Clock::now();
            MatchSentence(lattice, net, params, totals);
            matching += Clock::now() - start;
        }
        const double seconds = std::chrono::duration<double>(matching).count();
        std::printf("%-11s %8.3f s  %9.0f sentences/s  %9.0f attempts/s  %9.0f matches/s  (%ld attempts, %ld matches)\n",
                    params, seconds, built / seconds, totals.attempts / seconds, totals.matches / seconds,
                    totals.attempts, totals.matches);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
