// Driver of bench/tables.sh: builds the word-table pair of a GBK table
// source, loads it into the table cluster and times lookups, text matches
// and key-value conditions. It reaches the table code directly, since no
// exported function gives a host the tables yet, and so is built with the
// tests rather than from bench/.
//
//   zel_table_bench SOURCE WORK_DIR
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "zel/rules/format/table_format.h"
#include "zel/rules/tables/table_functions.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

// The word of every item line of the source (its first blank-separated
// piece); header and empty lines are passed over.
std::vector<std::string> SourceWords(const char* path) {
    std::ifstream source(path, std::ios::binary);
    std::vector<std::string> words;
    std::string line;
    while (std::getline(source, line)) {
        if (line.empty() || line[0] == '.') continue;
        words.push_back(line.substr(0, line.find(' ')));
    }
    return words;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zel;
    if (argc != 3) {
        std::fprintf(stderr, "usage: zel_table_bench SOURCE WORK_DIR\n");
        return 2;
    }
    std::string idx, dat;
    TableFilePaths(argv[2], "Bench", idx, dat);
    std::remove(idx.c_str());
    std::remove(dat.c_str());

    Clock::time_point start = Clock::now();
    TableClusterPrepare();
    TableClusterInitEx(idx.c_str(), dat.c_str());
    if (!TableClusterIdx(argv[1])) {
        std::fprintf(stderr, "cannot index %s\n", argv[1]);
        return 1;
    }
    TableClusterExit();
    std::printf("  index build              %9.3f s\n", Seconds(start));

    long before = ResidentKiB();
    start = Clock::now();
    GlobalInit_Coll({"Bench"}, argv[2]);
    double loadTime = Seconds(start);
    std::vector<std::string> names;
    TableClusterGetTables(names);
    CTable* table = nullptr;
    if (names.empty() || !TableClusterGetTable(names[0].c_str(), table)) {
        std::fprintf(stderr, "no table loaded\n");
        return 1;
    }
    std::printf("  load                     %9.3f s   %zu items\n", loadTime, table->items().size());
    std::printf("  memory of the loaded pair %8.1f MiB\n", (ResidentKiB() - before) / 1024.0);

    std::vector<std::string> words = SourceWords(argv[1]);
    CTableItem* item = nullptr;
    size_t found = 0;
    const int rounds = 5;
    start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        for (const std::string& word : words) found += table->Lookup(word.c_str(), item);
    }
    std::printf("  lookups                  %9.0f /s  (%zu of %zu words found)\n",
                rounds * words.size() / Seconds(start), found / rounds, words.size());

    // Texts of about 50 characters made of consecutive dictionary words.
    std::vector<std::string> texts;
    for (size_t i = 0; i < words.size();) {
        std::string text;
        while (i < words.size() && text.size() < 100) text += words[i++];
        texts.push_back(text);
    }
    std::vector<CTableItemEx> out;
    std::vector<int> positions;
    size_t matches = 0;
    start = Clock::now();
    for (const std::string& text : texts) {
        out.clear();
        positions.clear();
        g_pTableCluster->IsStrMid(text.c_str(), table, 1000, out, positions);
        matches += out.size();
    }
    double midTime = Seconds(start);
    std::printf("  IsStrMid on ~50 chars    %9.0f ns/text (%.1f matches per text)\n", midTime * 1e9 / texts.size(),
                static_cast<double>(matches) / texts.size());

    CTableKV* index = nullptr;
    if (TableClusterGetTable(names[0].c_str(), index)) {
        std::vector<int> items;
        int count = 0;
        const int queries = 20;
        start = Clock::now();
        for (int q = 0; q < queries; ++q) index->GetKV("POS=n&Freq=3", items, count);
        std::printf("  GetKV POS=n&Freq=3       %9.3f ms/query (%d items)\n", Seconds(start) * 1e3 / queries, count);
        index->GetKV("POS=n", items, count);
        std::printf("                           (POS=n holds %d items)\n", count);
    }
    TableClusterExit();
    return 0;
}
