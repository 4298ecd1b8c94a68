#include "qav/index/build/corpus_prep.h"

#include <sys/stat.h>

#include <cstring>
#include <string_view>

#include "qav/index/base/config.h"
#include "common/platform/file_handle.h"
#include "common/text/gbk_char.h"
#include "qav/index/format/index_files.h"
#include "qav/index/format/index_text_lines.h"
#include "common/text/line_reader.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/build/qav_tree.h"
#include "common/text/text_utils.h"

namespace qav {

namespace {

constexpr size_t kMaxListLineBytes = 1023;
constexpr int kMaxDetectLines = 2000;
constexpr int64_t kDocProgressStep = 10000;
constexpr std::string_view kGroupSeparator = "\xF7\xFE";

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool IsTagLine(std::string_view line) {
    return StartsWith(line, "POS=") || StartsWith(line, "Pos=") || StartsWith(line, "pos=");
}

// Whether text holds the group separator as a whole character.
bool HasGroupSeparator(std::string_view text) {
    for (size_t i = 0; i + 1 < text.size(); i += qz::GbkLeadCharLen(text[i]))
        if (text.substr(i, 2) == kGroupSeparator) return true;
    return false;
}

// A line that may tell the file's kind: text, not a control line.
bool IsConsideredLine(std::string_view line) {
    if (line.empty()) return false;
    for (std::string_view prefix : {"Doc ", "#Global", "#Group", "pos=", "Pos=", "POS="})
        if (StartsWith(line, prefix)) return false;
    if (HasGroupSeparator(line)) return false;
    if (StartsWith(line, "Item:")) line.remove_prefix(5);
    return !line.empty();
}

// Size of the file at path, or -1 when it cannot be opened.
int64_t OpenedFileSize(const std::string& path) {
    qz::FileHandle file = qz::OpenFile(path, "rb");
    struct stat info;
    if (!file || fstat(fileno(file.get()), &info) != 0) return -1;
    return static_cast<int64_t>(info.st_size);
}

qz::FileHandle CreateOutput(const std::string& path) {
    qz::FileHandle file = qz::OpenFile(path, "wb");
    if (!file) QavLog("Create or open %s error\n", path.c_str());
    return file;
}

void Write(FILE* file, const std::string& text) { fwrite(text.data(), 1, text.size(), file); }

bool CloseOutput(qz::FileHandle& file, const std::string& path) {
    if (qz::CloseFile(file)) return true;
    QavLog("Error write %s\n", path.c_str());
    return false;
}

struct Document {
    int64_t begin;  // line number of the first sentence
    int64_t end;    // line number after the last sentence
    std::string name;
    std::vector<std::string> items;
};

// Whether text is well-formed UTF-8 holding at least one character beyond ASCII.
bool LooksLikeUtf8(std::string_view text) {
    bool beyondAscii = false;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        beyondAscii = beyondAscii || length > 1;
        i += length;
    }
    return beyondAscii;
}

// State of one preparation run over the whole corpus list.
class Preparation {
public:
    Preparation(FILE* sentInfo, CorpusSummary& summary) : sent_info_(sentInfo), summary_(summary) {}

    // Rewrites one corpus file (path names it in messages) into its data
    // text file; false at a line that is not GBK text.
    bool ProcessFile(const std::string& path, FILE* corpus, FILE* data);

    const std::vector<Document>& documents() const { return documents_; }

private:
    void ProcessLine(const std::string& line);
    void AddSentence(std::string_view text);
    void FinishDocument();

    FILE* sent_info_;
    CorpusSummary& summary_;
    FILE* data_ = nullptr;
    int64_t line_ = 0;       // number of the next sentence
    int64_t doc_start_ = 0;  // number of the current document's first sentence
    int64_t docs_met_ = 0;   // "Doc " lines met
    int64_t doc_sentences_ = 0;
    std::string name_;
    std::string tag_;
    std::vector<std::string> items_;
    std::vector<Document> documents_;
};

bool Preparation::ProcessFile(const std::string& path, FILE* corpus, FILE* data) {
    data_ = data;
    name_.clear();
    tag_ = "text";
    items_.clear();
    qz::LineReader reader(corpus);
    std::string line;
    long long lineNo = 0;
    for (qz::LineReader::Result result; (result = reader.Next(line)) != qz::LineReader::kEnd;) {
        ++lineNo;
        ++summary_.lines;
        // Dropped lines: no later stage could read them.
        if (result == qz::LineReader::kTooLong) {
            ++summary_.tooLong;
            QavLog("Warning: %s line %lld dropped: longer than %zu bytes\n", path.c_str(), lineNo, qz::kMaxLineBytes);
            continue;
        }
        if (result == qz::LineReader::kHasNul) {
            ++summary_.withNul;
            QavLog("Warning: %s line %lld dropped: it holds a zero byte\n", path.c_str(), lineNo);
            continue;
        }
        const size_t bad = FirstNonGbkByte(line);
        if (bad != std::string::npos) {
            QavLog("Error: %s line %lld is not GBK text (byte %zu)%s; convert the file to GBK\n", path.c_str(), lineNo,
                   bad + 1, LooksLikeUtf8(line) ? ", it reads as UTF-8" : "");
            return false;
        }
        ProcessLine(line);
    }
    if (ferror(corpus)) {
        QavLog("Error read %s\n", path.c_str());
        return false;
    }
    if (name_.empty()) name_ = "Doc_" + std::to_string(docs_met_);
    FinishDocument();
    doc_start_ = line_;
    ++summary_.readFiles;
    return true;
}

void Preparation::ProcessLine(const std::string& line) {
    const std::string_view text(line);
    if (StartsWith(text, "Doc ")) {
        FinishDocument();
        ++docs_met_;
        name_.assign(text.substr(4));
        if (docs_met_ % kDocProgressStep == 0) QavLog("%lld Doc Processed\n", static_cast<long long>(docs_met_));
        doc_start_ = line_;
    } else if (StartsWith(text, "#Global ")) {
        qz::SplitString(line.c_str() + 8, " ;", items_);
    } else if (StartsWith(text, "Item:")) {
        Write(sent_info_, SentInfoTextLine(line_, static_cast<int64_t>(documents_.size()), tag_));
        AddSentence(text.substr(5));
    } else if (StartsWith(text, "#Group")) {
        AddSentence(kGroupSeparator);
        size_t equals = text.find('=');
        if (equals != std::string_view::npos) tag_.assign(text.substr(equals + 1));
    } else if (IsTagLine(text)) {
        tag_.assign(text.substr(4));
    } else {
        AddSentence(text);
    }
}

// Sentences go to the data text file at once; a document is recorded when it
// ends, so the file holds exactly the sentences of recorded documents.
void Preparation::AddSentence(std::string_view text) {
    Write(data_, DataTextLine(line_, text));
    ++line_;
    ++doc_sentences_;
}

void Preparation::FinishDocument() {
    if (doc_sentences_ == 0 || doc_start_ >= line_) return;
    documents_.push_back(Document{doc_start_, line_, name_, std::move(items_)});
    items_.clear();
    doc_sentences_ = 0;
}

void WriteOrg(FILE* org, const std::vector<Document>& documents) {
    for (const Document& doc : documents) Write(org, OrgLines(doc.begin, doc.end, doc.name));
}

void WriteDocInfo(FILE* docInfo, const std::vector<Document>& documents) {
    for (size_t i = 0; i < documents.size(); ++i) {
        Write(docInfo, DocInfoHeaderLine(static_cast<int64_t>(i)));
        for (const std::string& item : documents[i].items) Write(docInfo, item + "\n");
    }
}

}  // namespace

size_t FirstNonGbkByte(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t step = qz::GbkCharLen(text.data() + i, text.size() - i);
        if (step == 1 && lead >= 0x81 && lead <= 0xFE) return i;
        i += step;
    }
    return std::string_view::npos;
}

bool ReadOriFiles(const std::string& corpusList, std::vector<std::string>& paths) {
    paths.clear();
    qz::FileHandle list = qz::OpenFile(corpusList, "rb");
    if (!list) return false;
    qz::LineReader reader(list.get(), kMaxListLineBytes);
    std::string line;
    for (qz::LineReader::Result result; (result = reader.Next(line)) != qz::LineReader::kEnd;) {
        if (result != qz::LineReader::kLine) {
            QavLog("Warning:%s\n", line.c_str());
            continue;
        }
        if (line.empty() || strchr(" #-\\", line[0])) continue;
        paths.push_back(line);
    }
    return true;
}

int DetectFileType(const std::string& path, int& treeLines, int& considered) {
    treeLines = considered = 0;
    qz::FileHandle file = qz::OpenFile(path, "rb");
    if (!file) return 0;
    int kind = 0;
    qz::LineReader reader(file.get());
    std::string line;
    for (qz::LineReader::Result result; considered < kMaxDetectLines && (result = reader.Next(line)) != qz::LineReader::kEnd;) {
        if (result != qz::LineReader::kLine || !IsConsideredLine(line)) continue;
        ++considered;
        int line_kind = TreeLineKind(line);
        if (line_kind != kTreeKindSeg) {
            ++treeLines;
            kind = line_kind;
        }
    }
    // More than 40% of the considered lines.
    return treeLines * 5 > considered * 2 ? kind : 0;
}

bool CreatePreFiles(const std::string& dir, const std::string& corpusList, const std::string& listPath,
                    const std::string& orgPath, const std::string& docInfoPath, const std::string& sentInfoPath,
                    CorpusSummary* summary) {
    CorpusSummary ownSummary;
    CorpusSummary& counts = summary ? *summary : ownSummary;
    qz::FileHandle org = CreateOutput(orgPath);
    if (!org) return false;
    qz::FileHandle doc_info = CreateOutput(docInfoPath);
    if (!doc_info) return false;
    qz::FileHandle sent_info = CreateOutput(sentInfoPath);
    if (!sent_info) return false;

    std::vector<std::string> corpus_files;
    if (!ReadOriFiles(corpusList, corpus_files)) QavLog("Error open %s\n", corpusList.c_str());
    counts.listedFiles = static_cast<int>(corpus_files.size());

    int64_t corpus_size = 0;
    for (const std::string& path : corpus_files) {
        int64_t size = OpenedFileSize(path);
        if (size > 0) corpus_size += size;
    }
    if (corpus_size > kMaxCorpusBytes) {
        QavLog("Error: total corpus size (%lld bytes) exceeds limit (%lld bytes)\n",
               static_cast<long long>(corpus_size), static_cast<long long>(kMaxCorpusBytes));
        return false;
    }
    g_nCorpusSize = corpus_size;

    qz::FileHandle list = CreateOutput(listPath);
    if (!list) return false;

    Preparation preparation(sent_info.get(), counts);
    for (size_t k = 0; k < corpus_files.size(); ++k) {
        const std::string& path = corpus_files[k];
        QavLogOnly("Processing %s\n", path.c_str());
        qz::FileHandle corpus = qz::OpenFile(path, "rb");
        if (!corpus) {
            QavLog("Error open %s\n", path.c_str());
            return false;
        }
        struct stat info;
        if (fstat(fileno(corpus.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
            QavLog("Error: %s is a directory, not a corpus file\n", path.c_str());
            return false;
        }
        int tree_lines = 0;
        int considered = 0;
        const int kind = DetectFileType(path, tree_lines, considered);
        QavLog("  [DetectFileType] %s : %d/%d tree lines (%.0f%%) -> type=%d\n", path.c_str(), tree_lines, considered,
               considered ? 100.0 * tree_lines / considered : 0.0, kind);

        const std::string data_path = DataTextPath(dir, static_cast<int>(k));
        qz::FileHandle data = CreateOutput(data_path);
        if (!data) return false;
        Write(list.get(), ListLine(data_path, kind));
        if (!preparation.ProcessFile(path, corpus.get(), data.get())) return false;
        if (!CloseOutput(data, data_path)) return false;
    }

    WriteOrg(org.get(), preparation.documents());
    WriteDocInfo(doc_info.get(), preparation.documents());
    return CloseOutput(org, orgPath) && CloseOutput(doc_info, docInfoPath) && CloseOutput(sent_info, sentInfoPath) &&
           CloseOutput(list, listPath);
}

}  // namespace qav
