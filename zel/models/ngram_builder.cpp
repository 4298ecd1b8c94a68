#include "zel/models/ngram_builder.h"

#include <cstdio>
#include <fstream>

#include "zel/models/le_bytes.h"
#include "zel/models/ngram_build_tables.h"
#include "zel/models/ngram_quantise.h"

namespace zel {
namespace {

// Longest line the builder accepts, line end included.
constexpr size_t kMaxLineBytes = 51200;

// Groups longer than this are reported while progress is shown.
constexpr size_t kProgressGroupLines = 1000;

// Reads one line without its LF or CRLF; over-long lines are skipped.
bool NextLine(std::ifstream& in, std::string& line) {
    while (std::getline(in, line)) {
        if (line.size() >= kMaxLineBytes) continue;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }
    return false;
}

bool ReadCharacterList(const std::string& path, BuildTables& tables) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (NextLine(in, line)) {
        if (line.size() < 2) continue;
        if (tables.chars.Count() >= kMaxModelCharacters) return false;
        const uint16_t code = CharCode(line.data());
        if (code >= kCodeMapEntries) continue;
        tables.chars.codeMap[code] = static_cast<uint16_t>(tables.chars.Count());
        tables.chars.codes.push_back(code);
    }
    const size_t n = static_cast<size_t>(tables.Count());
    tables.uniProb.assign(n, kNoLineValue);
    tables.uniBackoff.assign(n, 0.0f);
    tables.pairProb.assign(n * n, kNoLineValue);
    tables.pairBackoff.assign(n * n, 0.0f);
    tables.pairOffset.assign(n * n, 0);
    return true;
}

bool AllCharactersKnown(const std::string& ngram, const CHZInfo& chars) {
    for (size_t i = 0; i < ngram.size(); i += 2)
        if (chars.HZ2No(ngram.data() + i) < 0) return false;
    return true;
}

// The line as the group writer reads it back: values pass through "%f".
std::string RewriteLine(const NgramLine& parsed) {
    char values[128];
    std::snprintf(values, sizeof values, "\t%f\t%d\t%f", parsed.probability, parsed.count, parsed.backoff);
    return parsed.ngram + values;
}

bool WriteIndexFile(CountingFile& out, const BuildTables& tables) {
    const int n = tables.Count();
    std::string bytes;
    bytes.reserve(2 * kCodeMapEntries + 8 + 4 * static_cast<size_t>(n));
    for (uint16_t index : tables.chars.codeMap) qz::bytes::Append<uint16_t>(bytes, index);
    qz::bytes::Append<int32_t>(bytes, n);
    for (uint16_t code : tables.chars.codes) qz::bytes::Append<uint16_t>(bytes, code);
    for (int i = 0; i < n; ++i)
        qz::bytes::Append<uint16_t>(bytes, QuantiseLogProb(tables.uniProb[i] + tables.uniBackoff[i]));
    qz::bytes::Append<int32_t>(bytes, n * n);
    out.Write(bytes);
    for (int a = 0; a < n; ++a) {
        bytes.clear();
        for (int b = 0; b < n; ++b) {
            const size_t i = tables.PairIndex(a, b);
            qz::bytes::Append<uint16_t>(bytes, QuantiseLogProb(tables.pairProb[i] + tables.pairBackoff[i]));
            AppendU40(bytes, tables.pairOffset[i]);
        }
        out.Write(bytes);
    }
    return out.Close();
}

}  // namespace

bool CreateIdx(const std::string& charListPath, const std::string& ngramPath, const std::string& indexPath,
               const std::string& dataPath, NgramBuildMode mode, int minCount, bool showProgress) {
    BuildTables tables;
    if (!ReadCharacterList(charListPath, tables)) return false;
    std::ifstream in(ngramPath, std::ios::binary);
    if (!in) return false;
    CountingFile data(dataPath);
    if (!data.IsOpen()) return false;
    CountingFile index(indexPath);
    if (!index.IsOpen()) return false;
    // Offset 0 means "no group" in the pair table, so no group may start there.
    data.Write(std::string(1, '\0'));

    std::vector<std::string> group;
    std::string prefix;
    int firstCharChanges = 0;
    bool ok = true;
    auto finishGroup = [&]() {
        if (group.empty()) return;
        const int a = tables.chars.HZ2No(prefix.data());
        const int b = tables.chars.HZ2No(prefix.data() + 2);
        tables.pairOffset[tables.PairIndex(a, b)] = data.Position();
        ok = WriteGroup(group, tables, mode, data) && ok;
        group.clear();
    };

    std::string line;
    NgramLine parsed;
    while (NextLine(in, line)) {
        if (line.size() <= 7 || !GetLineInfo(line, mode, parsed)) continue;
        if (parsed.count < minCount || !AllCharactersKnown(parsed.ngram, tables.chars)) continue;
        const int a = tables.chars.HZ2No(parsed.ngram.data());
        if (parsed.ngram.size() == 2) {
            tables.uniProb[a] = parsed.probability;
            tables.uniBackoff[a] = parsed.backoff;
            continue;
        }
        const int b = tables.chars.HZ2No(parsed.ngram.data() + 2);
        if (parsed.ngram.size() == 4) {
            tables.pairProb[tables.PairIndex(a, b)] = parsed.probability;
            tables.pairBackoff[tables.PairIndex(a, b)] = parsed.backoff;
            continue;
        }
        const std::string rewritten = RewriteLine(parsed);
        if (parsed.ngram.compare(0, 4, prefix) != 0) {
            if (parsed.ngram.compare(0, 2, prefix, 0, 2) != 0) ++firstCharChanges;
            if (showProgress && group.size() > kProgressGroupLines)
                std::printf("Processing ... %d %s\r", firstCharChanges, rewritten.c_str());
            finishGroup();
            prefix = parsed.ngram.substr(0, 4);
        }
        group.push_back(rewritten.substr(4));
    }
    finishGroup();
    const bool dataWritten = data.Close();
    return WriteIndexFile(index, tables) && ok && dataWritten;
}

}  // namespace zel
