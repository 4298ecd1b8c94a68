// Small structured index directories for engine tests, written with the
// index's own writers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qav/index/format/unit_index_file.h"

namespace qztest {

struct MiniIndex {
    // Word identifiers of each data file, between its header and tail.
    std::vector<std::vector<uint32_t>> dataFiles{{1, 2, 0}};
    // Word texts in identifier order.
    std::vector<std::string> words{"|", "a", "b"};
    qav::UnitIndex units{{{"a|", 0, 2, 3, 0}, {"|b", 16, 1, 4, 0}}, {{"a>", {"a|", "missing"}}}};
    // Offset files, each of this many zero bytes.
    std::vector<size_t> offsetFiles{24};
    // Documents: "Org.txt" and "Info/Corpus.ID" through the final build stage.
    std::string orgText = "#0\t1\nT:Doc_0\nEx:\n";
    std::string corpusIds = "512\t0\n";
    std::string sentInfoText = "0\t0\tNP\n";
    std::string docInfoText = "#0\nb=2\na=1\n";
    std::string catTableText = "#NUM\none\ntwo\n";
    // Extra members of the configuration's "SizeInfo" object.
    std::string sizeInfoExtra;
    int64_t corpusSize = 0;     // "CorpusSize=" line when above 0
    bool englishEngine = false;  // "Language=English" in "Engine.txt"

    // Writes everything into dir (created when missing).
    void Write(const std::string& dir) const;
};

}  // namespace qztest
