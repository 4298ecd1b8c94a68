// File-kind and language detection of the builder over the data text files.
#include <cstdint>
#include <string_view>

#include "common/platform/file_handle.h"
#include "common/text/gbk_char.h"
#include "common/text/line_reader.h"
#include "qav/index/build/process_line.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/build/qav_tree.h"

namespace qav {

namespace {

// The decision is made at this counted line, or at the end of the corpus.
constexpr int64_t kDetectLines = 10001;

constexpr unsigned char kGroupLead = 0xF7;  // "齄", the group separator word
constexpr unsigned char kGroupTrail = 0xFE;

// Calls f(lead, trail) for every two-byte character of the GBK text until f
// returns true; true when it did.
template <typename F>
bool AnyGbkPair(std::string_view text, F&& f) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = qz::GbkCharLen(text.data() + i, text.size() - i);
        if (length == 2 && f(static_cast<unsigned char>(text[i]), static_cast<unsigned char>(text[i + 1])))
            return true;
        i += length;
    }
    return false;
}

bool HasGroupWord(std::string_view text) {
    return AnyGbkPair(text, [](unsigned char lead, unsigned char trail) {
        return lead == kGroupLead && trail == kGroupTrail;
    });
}

bool HasChineseChar(std::string_view text) { return AnyGbkPair(text, qz::IsGb2312Han); }

}  // namespace

void CQAVIdx::CheckIsTreeType() {
    m_Config.m_Language = 0;
    int64_t lines = 0;
    int64_t treeLines = 0;
    int64_t chineseLines = 0;
    int lastTreeKind = 0;
    auto decide = [&](int64_t divisor) {
        if (divisor <= 0) return;
        if (static_cast<double>(treeLines) / static_cast<double>(divisor) > 0.4) m_Config.m_CorpusKind = lastTreeKind;
        if (static_cast<double>(chineseLines) / static_cast<double>(divisor) < 0.1) m_Config.m_Language = 1;
    };

    std::string line;
    for (const std::vector<std::string>& group : m_FileGroups) {
        for (const std::string& path : group) {
            qz::FileHandle file = qz::OpenFile(path, "rb");
            // A file the later passes cannot read either: nothing is decided.
            if (!file) return;
            qz::LineReader reader(file.get(), qz::kMaxDataLineBytes);
            for (qz::LineReader::Result result; (result = reader.Next(line)) != qz::LineReader::kEnd;) {
                // Refused by the counting and offset passes as well.
                if (result != qz::LineReader::kLine) continue;
                const std::string_view text = DataLineSentence(line);
                if (HasGroupWord(text)) continue;
                const int kind = TreeLineKind(text);
                if (kind == 1 || kind == 2) {
                    ++treeLines;
                    lastTreeKind = kind;
                }
                if (HasChineseChar(text)) ++chineseLines;
                if (++lines == kDetectLines) {
                    decide(kDetectLines);
                    return;
                }
            }
        }
    }
    decide(lines);
}

}  // namespace qav
