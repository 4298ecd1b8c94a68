// Atom searches over built indexes against a brute-force scan: for randomly
// drawn query units and patterns, every record of the units a query covers is
// read straight from the offset files and matched by the corpus text around
// it; the search must return exactly the matching occurrences.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "include/qavlib.h"
#include "qav/index/format/offset_record.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/format/unit_index_file.h"
#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/atom_ret.h"
#include "qav/search/atom/atom_search.h"
#include "qav/search/atom/engine_views.h"
#include "support/test_support.h"
#include "qav/service/engines.h"

namespace {

using qztest::Gbk;
using qztest::TempDir;

struct Occurrence {
    uint8_t file;
    uint32_t position;
    int16_t index;
    uint8_t span;
    bool operator<(const Occurrence& o) const {
        return std::tie(file, position, index, span) < std::tie(o.file, o.position, o.index, o.span);
    }
    bool operator==(const Occurrence& o) const {
        return std::tie(file, position, index, span) == std::tie(o.file, o.position, o.index, o.span);
    }
};

std::ostream& operator<<(std::ostream& out, const Occurrence& o) {
    return out << int{o.file} << ":" << o.position << "+" << o.index << "/" << int{o.span};
}

Occurrence ToOccurrence(const unsigned char* record, int width) {
    const qav::CSortIdxUnit fields = qav::DecodeOffsetRecord(record, width);
    return {fields.file_no, fields.position, fields.index, fields.span};
}

// Position of the first ("_" at a character start) or last one; npos if none.
size_t Underscore(const std::string& name, bool last) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < name.size();) {
        if (name[i] == '_') {
            found = i;
            if (!last) return found;
        }
        const unsigned char lead = static_cast<unsigned char>(name[i]);
        i += lead >= 0x81 && i + 1 < name.size() ? 2 : 1;
    }
    return found;
}

// Keys of the query units a full unit of the index answers to, with their
// kinds: itself; "c_TAG|" under "TAG|" and "c>", "|TAG_c" under "|TAG" and
// "<c", "$LABEL_c" under "$LABEL" and "c@".
std::vector<std::pair<int, std::string>> QueryKeys(const qav::UnitIndexEntry& unit) {
    std::vector<std::pair<int, std::string>> keys{{unit.type, unit.name}};
    const size_t cut = Underscore(unit.name, unit.type == 3);
    if (cut == std::string::npos) return keys;
    const std::string head = unit.name.substr(0, cut);
    const std::string tail = unit.name.substr(cut + 1);
    if (unit.type == 3) keys.insert(keys.end(), {{3, tail}, {8, head + ">"}});
    if (unit.type == 4) keys.insert(keys.end(), {{4, head}, {9, "<" + tail}});
    if (unit.type == 5) keys.insert(keys.end(), {{5, head}, {6, tail + "@"}});
    return keys;
}

enum class Match { kNo, kYes, kUnclear };

// A built index, started as the engine, with the brute-force side.
class BuiltIndex {
public:
    // Builds the corpus files into a fresh directory and starts the engine.
    void Build(const std::vector<std::string>& corpusFiles, const std::string& sizeInfoExtra) {
        const std::string config = dir_.file("config.json");
        qztest::WriteFile(config,
                          "{\"FileInfo\":{\"Data\":\"Data\",\"Offset\":\"Offset\",\"WordList\":\"WordList.dat\","
                          "\"Unit\":\"Unit.dat\",\"OrgDat\":\"Org.dat\",\"SentInfo\":\"SentInfo.dat\","
                          "\"DocInfo\":\"DocInfo.txt\",\"CatTable\":\"CatTable.txt\"},"
                          "\"SizeInfo\":{\"HashSize_IdxUnit\":4099,\"HashSize_WordList\":4099,"
                          "\"HashSize_SentInfo\":4099," +
                              sizeInfoExtra + "},\"Clause Seperator\":[\"" + Gbk("，") + "\",\"" + Gbk("。") +
                              "\"]}");
        std::string list;
        for (const std::string& file : corpusFiles) list += file + "\n";
        qztest::WriteFile(dir_.file("corpus.lst"), list);
        const std::string index = dir_.file("index");
        testing::internal::CaptureStdout();
        const int built = IdxMainAllInOne(config.c_str(), dir_.file("corpus.lst").c_str(), index.c_str());
        const bool started = built && qav::GlobalInit("config.txt", index);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(1, built);
        ASSERT_TRUE(started);
        engine_ = qav::g_pCQAVEngine;
        ASSERT_TRUE(qav::ReadUnitIndexFile(engine_->m_config.m_FileInfo.Unit, &units_));
        for (int f = 0; f < static_cast<int>(engine_->OffsetFileCount()); ++f)
            offsetFiles_.push_back(qztest::ReadFile(engine_->m_config.m_FileInfo.Offset + "_" + std::to_string(f) + ".dat"));
        // Chunk units ("%s_%d" of a unit) repeat records of their unit.
        std::set<std::string> names;
        for (const qav::UnitIndexEntry& unit : units_.units) names.insert(unit.name);
        for (const qav::UnitIndexEntry& unit : units_.units) {
            const size_t cut = unit.name.rfind('_');
            const bool chunk = cut != std::string::npos && cut + 1 < unit.name.size() &&
                               unit.name.find_first_not_of("0123456789", cut + 1) == std::string::npos &&
                               names.count(unit.name.substr(0, cut));
            if (chunk) continue;
            for (const auto& key : QueryKeys(unit)) covered_[key].push_back(fullUnits_.size());
            fullUnits_.push_back(unit);
            records_.push_back(ReadRecords(unit));
        }
    }

    ~BuiltIndex() {
        if (engine_) qav::GlobalExit();
        if (qav::g_log_file) qav::QavLogClose();
    }

    const std::vector<qav::UnitIndexEntry>& fullUnits() const { return fullUnits_; }
    qav::CQAVEngine& engine() const { return *engine_; }

    // Full units (by their place in fullUnits) that a query unit stands for.
    const std::vector<size_t>& Covered(int kind, const std::string& query) const {
        static const std::vector<size_t> none;
        const auto it = covered_.find({kind, query});
        return it == covered_.end() ? none : it->second;
    }
    const std::vector<Occurrence>& Records(size_t unit) const { return records_[unit]; }

    std::vector<Occurrence> ReadRecords(const qav::UnitIndexEntry& unit) const {
        const int width = unit.type == 5 ? 9 : 8;
        const std::string& file = offsetFiles_.at(unit.file_no);
        std::vector<Occurrence> records;
        for (int64_t i = 0; i < unit.count; ++i) {
            const size_t at = static_cast<size_t>(unit.offset + i * width);
            EXPECT_LE(at + width, file.size()) << unit.name;
            if (at + width > file.size()) break;
            records.push_back(ToOccurrence(reinterpret_cast<const unsigned char*>(file.data() + at), width));
        }
        return records;
    }

    // The text of the words from the context start of an occurrence of a unit
    // of this type, running left (prepended) or right, until it holds at least
    // `bytes` bytes. kNoWindow: the record lacks the context window the
    // records are sorted by, and never matches. kUnreadable: a word on the way
    // is not made of two-byte characters only; the comparison treats such
    // words by byte pairs, which a scan of the text cannot follow.
    enum class Scan { kText, kNoWindow, kUnreadable };
    Scan Context(int type, const Occurrence& o, size_t bytes, std::string& text, bool& leftward) const {
        if (o.file >= engine_->DataFileCount()) return Scan::kNoWindow;
        const int64_t words = engine_->m_corpusLength[o.file];
        const int64_t window = engine_->m_config.m_SizeInfo.SortCompWordLen;
        const int64_t anchor = int64_t{o.position} + o.index;
        int64_t at = 0;
        leftward = type != 4;
        if (type == 3) {
            if (anchor < window || anchor >= words) return Scan::kNoWindow;
            at = anchor - 1;
        } else if (type == 4) {
            if (anchor + 1 + window > words) return Scan::kNoWindow;
            at = anchor + 1;
        } else {
            if (o.span == 255 || anchor + o.span < window || anchor + o.span >= words) return Scan::kNoWindow;
            at = anchor + o.span;
        }
        text.clear();
        while (text.size() < bytes) {
            if (at < 0 || at >= words) return Scan::kUnreadable;
            const qav::CWord* word = engine_->m_pWordList->No2Word(engine_->m_corpus[o.file][static_cast<size_t>(at)]);
            if (!word || word->text.empty() || word->text.size() % 2) return Scan::kUnreadable;
            for (char byte : word->text)
                if (static_cast<unsigned char>(byte) < 0x80) return Scan::kUnreadable;
            text = leftward ? word->text + text : text + word->text;
            at += leftward ? -1 : 1;
        }
        return Scan::kText;
    }

    // Whether the occurrence continues the pattern text.
    Match Matches(int type, const Occurrence& o, const std::string& pattern) const {
        if (pattern.empty()) return Match::kYes;
        std::string text;
        bool leftward = false;
        switch (Context(type, o, pattern.size(), text, leftward)) {
            case Scan::kNoWindow: return Match::kNo;
            case Scan::kUnreadable: return Match::kUnclear;
            case Scan::kText: break;
        }
        const bool match = leftward ? text.compare(text.size() - pattern.size(), pattern.size(), pattern) == 0
                                    : text.compare(0, pattern.size(), pattern) == 0;
        return match ? Match::kYes : Match::kNo;
    }

private:
    TempDir dir_;
    qav::CQAVEngine* engine_ = nullptr;
    qav::UnitIndex units_;
    std::vector<qav::UnitIndexEntry> fullUnits_;
    std::vector<std::string> offsetFiles_;
    std::vector<std::vector<Occurrence>> records_;  // of each full unit
    std::map<std::pair<int, std::string>, std::vector<size_t>> covered_;
};

// Draws queries over a built index and checks each against the scan.
class Differential {
public:
    Differential(const BuiltIndex& index, uint32_t seed) : index_(index), random_(seed) {}

    // Runs `queries` random queries; returns how many found at least one hit.
    int Run(int queries) {
        int withHits = 0;
        qav::CAtomRet result;
        result.AtomRetInit(index_.engine().m_config.m_SizeInfo.MaxAtomSearchRetSize);
        for (int q = 0; q < queries && !testing::Test::HasFailure(); ++q) {
            std::string unitText;
            std::string patternArg;
            std::string pattern;  // the text the records must continue
            if (!Draw(unitText, patternArg, pattern)) continue;
            qav::CAtomSearchQuery query;
            query.SetAtomSearchQuery(qav::MakeAtomQueryEnv(&index_.engine()), unitText, patternArg, "", "", "", "");
            const bool found = qav::AtomSearch(index_.engine(), query, result);
            std::vector<Occurrence> actual = Collect(result);
            result.Release();

            std::vector<Occurrence> expected;
            std::vector<Occurrence> open;
            const std::vector<size_t>& covered = index_.Covered(query.type, query.unit);
            for (size_t unit : covered) {
                for (const Occurrence& o : index_.Records(unit)) {
                    const Match match = index_.Matches(index_.fullUnits()[unit].type, o, pattern);
                    if (match == Match::kYes) expected.push_back(o);
                    if (match == Match::kUnclear) open.push_back(o);
                }
            }
            std::sort(open.begin(), open.end());
            auto isOpen = [&](const Occurrence& o) { return std::binary_search(open.begin(), open.end(), o); };
            actual.erase(std::remove_if(actual.begin(), actual.end(), isOpen), actual.end());
            std::sort(actual.begin(), actual.end());
            std::sort(expected.begin(), expected.end());
            const std::string what = "unit " + qztest::Utf8(query.unit) + " pattern " + qztest::Utf8(patternArg);
            EXPECT_FALSE(covered.empty()) << what;
            EXPECT_EQ(expected, actual) << what;
            if (!expected.empty()) {
                EXPECT_TRUE(found) << what;
                ++withHits;
            }
        }
        return withHits;
    }

private:
    static std::vector<Occurrence> Collect(const qav::CAtomRet& result) {
        std::vector<Occurrence> occurrences;
        for (int s = 0; s < result.m_nSegCount; ++s) {
            const unsigned char* record = result.m_SegRecords[s] + result.m_SegOffset[s];
            for (int r = 0; r < result.m_SegCount[s]; ++r, record += result.m_SegWidth[s])
                occurrences.push_back(ToOccurrence(record, result.m_SegWidth[s]));
        }
        return occurrences;
    }

    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
    bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }

    // A query unit in one of its forms, and a pattern taken from the context
    // of one of its occurrences: one to three characters next to it, now and
    // then empty, replaced by a character from elsewhere, or widened by "."
    // (which the search drops from the text it compares).
    bool Draw(std::string& unitText, std::string& patternArg, std::string& pattern) {
        const std::vector<qav::UnitIndexEntry>& units = index_.fullUnits();
        const size_t drawn = Pick(units.size());
        const qav::UnitIndexEntry& unit = units[drawn];
        const std::vector<Occurrence>& records = index_.Records(drawn);
        if (records.empty() || unit.type < 3 || unit.type > 5) return false;
        std::string context;
        bool leftward = false;
        if (index_.Context(unit.type, records[Pick(records.size())], 6, context, leftward) != BuiltIndex::Scan::kText)
            return false;
        charPool_.push_back(context.substr(leftward ? 0 : context.size() - 2, 2));

        if (Chance(12)) {
            // A plain word: the engine picks the unit, the text is the pattern.
            unitText = leftward ? context.substr(context.size() - 4) : context.substr(0, 4);
            patternArg = pattern = unitText;
            return true;
        }
        const bool leftSplit = unit.type == 3;
        const size_t cut = Underscore(unit.name, leftSplit);
        if (cut == std::string::npos) return false;
        const std::string head = unit.name.substr(0, cut);
        const std::string tail = unit.name.substr(cut + 1);
        const std::vector<std::string> forms =
            unit.type == 3   ? std::vector<std::string>{unit.name, tail, head + ">"}
            : unit.type == 4 ? std::vector<std::string>{unit.name, head, "<" + tail}
                             : std::vector<std::string>{unit.name, head, tail + "@"};
        unitText = forms[Pick(forms.size())];

        const size_t chars = 1 + Pick(3);
        pattern = leftward ? context.substr(context.size() - 2 * chars) : context.substr(0, 2 * chars);
        if (Chance(10)) pattern.clear();
        if (Chance(15)) pattern = charPool_[Pick(charPool_.size())];
        patternArg = pattern;
        if (Chance(25) && !pattern.empty()) {
            const std::string dots(1 + Pick(2), '.');
            patternArg = leftward ? dots + pattern : pattern + dots;
        }
        return true;
    }

    const BuiltIndex& index_;
    std::mt19937 random_;
    std::vector<std::string> charPool_;
};

std::vector<std::string> SampleCorpus() {
    const std::string folder = qztest::DataDir() + "/sample";
    std::istringstream list(qztest::ReadFile(folder + "/corpus.lst"));
    std::vector<std::string> files;
    for (std::string line; std::getline(list, line);)
        if (!line.empty() && line[0] != '#') files.push_back(folder + "/" + line);
    return files;
}

TEST(AtomSearchDifferential, SampleCorpus) {
    BuiltIndex index;
    // Small sort chunks, so that larger units are searched chunk by chunk.
    index.Build(SampleCorpus(), "\"MaxUnitCount_ToSort\":\"40\",\"ThreadNum_AS\":3");
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    Differential differential(index, 20261210);
    EXPECT_GT(differential.Run(1500), 300);
}

TEST(AtomSearchDifferential, HandMadeCorpus) {
    // Few words in many combinations: every unit has several occurrences and
    // the sort order rests on context far from the anchor.
    const std::vector<std::string> nouns{"我", "他们", "上海", "北京", "大学", "学生"};
    const std::vector<std::string> verbs{"爱", "看见", "离开", "去"};
    std::mt19937 random(7);
    auto pick = [&](const std::vector<std::string>& words) { return words[random() % words.size()]; };
    std::string sequences;
    std::string trees;
    for (int line = 0; line < 60; ++line) {
        const std::string a = pick(nouns), v = pick(verbs), b = pick(nouns), c = pick(nouns);
        sequences += a + "/r " + v + "/v " + b + "/ns 的/uj " + c + "/n 。/x\n";
        trees += "(IP (NP (PN " + a + ")) (VP (VV " + v + ") (NP (DNP (NP (NR " + b + ")) (DEG 的)) (NP (NN " + c +
                 ")))) (PU 。))\n";
    }
    TempDir corpus;
    qztest::WriteFile(corpus.file("seq.txt"), Gbk(sequences));
    qztest::WriteFile(corpus.file("tree.txt"), Gbk(trees));
    BuiltIndex index;
    index.Build({corpus.file("seq.txt"), corpus.file("tree.txt")}, "\"MaxUnitCount_ToSort\":\"4\",\"ThreadNum_AS\":2");
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    Differential differential(index, 99);
    EXPECT_GT(differential.Run(1000), 300);
}

}  // namespace
