// A C++ host that links libzellib.so and reaches every further compiler tool
// through include/zellib_compiler.h only: the link shows that each
// declaration names an exported entry. Exits 0 when every answer holds.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "zellib_compiler.h"

namespace {

int failures = 0;

void Expect(const char* what, bool holds) {
    if (!holds) {
        std::fprintf(stderr, "%s does not hold\n", what);
        ++failures;
    }
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main() {
    char folder[] = "/tmp/zel_host_compiler_XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string dir = folder;

    WriteFile(dir + "/m.fsm", "0\t1\tx\n1\t2\ty\n");
    Expect("FSM2GrammarFile", CConvPub::FSM2GrammarFile((dir + "/m.fsm").c_str(), (dir + "/m.rules").c_str()));
    Expect("state machine text", ReadFile(dir + "/m.rules") == "subrule_1 ( y ) \n.rule_0 ( x subrule_1 ) \n");

    WriteFile(dir + "/g.reg", ".one ( a b c )\n.two ( x a b )\n");
    std::map<std::string, int> counts;
    Expect("genFreqHash", CConvPub::genFreqHash((dir + "/g.reg").c_str(), counts) && counts["a b"] == 2);
    Expect("makeSubRuleZEL", CConvPub::makeSubRuleZEL((dir + "/g.reg").c_str(), (dir + "/g.out").c_str(), 2, 100));
    Expect("optimised grammar",
           ReadFile(dir + "/g.out") == "optsub_1 ( a b )\n.one ( optsub_1 c ) \n.two ( x optsub_1 ) \n");
    Expect("outputAllWords", !CConvPub::outputAllWords((dir + "/g.reg").c_str(), (dir + "/no/words.txt").c_str()));

    // Missing inputs: each tool answers false and leaves nothing behind.
    Expect("RuleBaseIdx", !CRuleBase::RuleBaseIdx((dir + "/none.txt").c_str(), (dir + "/o.idx").c_str(),
                                                  (dir + "/o.dat").c_str()));
    Expect("RuleIdx", !CRuleNet::RuleIdx("NP", (dir + "/none.net_").c_str(), stdout, stdout, counts));
    zel::NetWordlist* network = nullptr;
    Expect("ReadNetWordlist", !CXML2WordNet::ReadNetWordlist((dir + "/none.net").c_str(),
                                                             (dir + "/none.words").c_str(), network) &&
                                  network == nullptr);
    Expect("WriteNetWordlist", !CXML2WordNet::WriteNetWordlist(network, (dir + "/n.txt").c_str(), false));
    CXML2WordNet::FreeNetWordlist(network);
    DebugInfo("zel_host_compiler");

    for (const char* name : {"m.fsm", "m.rules", "g.reg", "g.out"}) unlink((dir + "/" + name).c_str());
    if (rmdir(folder) != 0) {
        std::fprintf(stderr, "%s is not empty\n", folder);
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
