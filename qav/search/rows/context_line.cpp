#include "qav/search/rows/context_line.h"

#include <initializer_list>

#include "common/text/gbk_char.h"
#include "qav/index/engine/org_info.h"
#include "qav/index/engine/sent_info.h"
#include "qav/search/rows/source_id.h"
#include "qav/search/filter/splited_ret.h"

namespace qav {

namespace {

constexpr std::string_view kOpenMatch = "<Q>";
constexpr std::string_view kCloseMatch = "</Q>";
constexpr std::string_view kHeadEnd = "#@#";

bool IsGroupSeparator(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xF7 && static_cast<unsigned char>(text[i + 1]) == 0xFE;
}

// Appends pieces in order up to the line's limit.
class BoundedLine {
public:
    explicit BoundedLine(std::string& line) : line_(line) {}

    // Once a piece has been cut, the line is full: later pieces are dropped.
    BoundedLine& operator<<(std::string_view piece) {
        if (full_) return *this;
        const size_t room = line_.size() < kContextLineMaxBytes ? kContextLineMaxBytes - line_.size() : 0;
        const size_t fit = qz::GbkPrefixLength(piece, room);
        line_.append(piece.substr(0, fit));
        full_ = fit < piece.size();
        return *this;
    }

private:
    std::string& line_;
    bool full_ = false;
};

std::string_view Marked(bool marked, bool open) {
    if (!marked) return {};
    return open ? kOpenMatch : kCloseMatch;
}

// Before, the three groups and their gaps, and End; marked groups in "<Q>".
void AppendGroups(const CSplitedRet& p, bool mark1, bool mark2, bool mark3, BoundedLine& out) {
    out << p.m_Before << Marked(mark1, true) << p.m_Group1 << Marked(mark1, false) << p.m_Gap12
        << Marked(mark2, true) << p.m_Group2 << Marked(mark2, false) << p.m_Gap23 << Marked(mark3, true)
        << p.m_Group3 << Marked(mark3, false) << p.m_End;
}

}  // namespace

std::string SourcePrefix(const COrgInfo& documents, const CHashTableInfo& sentences, uint8_t fileNo,
                         uint32_t position) {
    const uint64_t key = (uint64_t{fileNo} << 32) | position;
    std::string name;
    uint64_t first = 0;
    uint64_t last = 0;
    if (!documents.GetLimit(key, name, first, last) || name.empty() || name.compare(0, 3, "Doc") == 0)
        return {};
    std::string prefix = name;
    uint32_t docIndex = 0;
    uint32_t tagId = 0;
    std::string positionInfo;
    if (sentences.GetSentInfo(key, docIndex, tagId) && static_cast<int64_t>(tagId) < sentences.TagCount() &&
        sentences.GetSentPosInfo(static_cast<int32_t>(tagId), positionInfo)) {
        prefix += "_";
        prefix += positionInfo;
    }
    prefix += "#@ID#";
    prefix += EncodeSourceId(fileNo, position);
    prefix += kHeadEnd;
    prefix.resize(qz::GbkPrefixLength(prefix, kContextPrefixMaxBytes));
    return prefix;
}

void AppendContextBody(const CSplitedRet& p, const std::array<bool, kPrintFlagCount>& print, std::string& line) {
    BoundedLine out(line);
    int choice = kPrintFlagCount;
    for (int i = 0; i < kPrintFlagCount; ++i) {
        if (print[i]) {
            choice = i;
            break;
        }
    }
    switch (choice) {
        case kPrint1: AppendGroups(p, true, false, false, out); break;
        case kPrint2: AppendGroups(p, false, true, false, out); break;
        case kPrint3: AppendGroups(p, false, false, true, out); break;
        case kPrintB: out << "<B>" << p.m_Left << "</B>" << kOpenMatch << p.m_Match << kCloseMatch << p.m_Right; break;
        case kPrintE: out << p.m_Left << kOpenMatch << p.m_Match << kCloseMatch << "<E>" << p.m_Right << "</E>"; break;
        case kPrint12: AppendGroups(p, true, true, false, out); break;
        case kPrint23: AppendGroups(p, false, true, true, out); break;
        case kPrint13: AppendGroups(p, true, false, true, out); break;
        case kPrint123: AppendGroups(p, true, true, true, out); break;
        default: out << p.m_Left << kOpenMatch << p.m_Match << kCloseMatch << p.m_Right; break;
    }
}

std::string ExtractQSection(std::string_view text) {
    const size_t open = text.find(kOpenMatch);
    const size_t close = text.find(kCloseMatch);
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
    const size_t closeEnd = close + kCloseMatch.size();
    // Separators are found at character boundaries only, so that a trail
    // byte 0xF7 followed by a lead byte 0xFE is no separator.
    size_t begin = 0;
    size_t end = text.size();
    for (size_t i = 0; i < text.size();) {
        const size_t len = qz::GbkCharLen(text.data() + i, text.size() - i);
        if (len == 2 && IsGroupSeparator(text, i)) {
            if (i + 2 <= open) {
                begin = i + 2;
            } else if (i >= closeEnd) {
                end = i;
                break;
            }
        }
        i += len;
    }
    return std::string(text.substr(begin, end - begin));
}

void CutByGroup(std::string& line) {
    const size_t mark = line.find(kHeadEnd);
    const size_t headLength = mark == std::string::npos ? 0 : mark + kHeadEnd.size();
    std::string section = ExtractQSection(std::string_view(line).substr(headLength));
    line.resize(headLength);
    line += section;
}

}  // namespace qav
