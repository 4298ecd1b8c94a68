#include "qav/index/build/corpus_file_prep.h"

#include <cstdarg>
#include <utility>

#include "common/text/gbk_char.h"
#include "common/text/line_reader.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/format/index_text_lines.h"
#include "common/text/text_utils.h"

namespace qav {

namespace {

constexpr int64_t kDocProgressStep = 10000;
constexpr std::string_view kGroupSeparator = "\xF7\xFE";

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool IsTagLine(std::string_view line) {
    return StartsWith(line, "POS=") || StartsWith(line, "Pos=") || StartsWith(line, "pos=");
}

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

std::string Formatted(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int length = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

}  // namespace

PrepNumbers& PrepNumbers::operator+=(const PrepNumbers& more) {
    sentences += more.sentences;
    docs_met += more.docs_met;
    documents += more.documents;
    return *this;
}

void PrepMessages::Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    messages_.push_back({true, Formatted(format, args)});
    va_end(args);
}

void PrepMessages::LogOnly(const char* format, ...) {
    va_list args;
    va_start(args, format);
    messages_.push_back({false, Formatted(format, args)});
    va_end(args);
}

void PrepMessages::Replay() const {
    for (const Message& message : messages_) {
        if (message.console)
            QavLog("%s", message.text.c_str());
        else
            QavLogOnly("%s", message.text.c_str());
    }
}

FilePreparation::FilePreparation(std::string path, const PrepNumbers& start)
    : path_(std::move(path)),
      start_(start),
      line_(start.sentences),
      doc_start_(start.sentences),
      docs_met_(start.docs_met) {}

PrepNumbers FilePreparation::Count(FILE* corpus) {
    FilePreparation counter("", PrepNumbers{});
    counter.Read(corpus);
    return counter.Added();
}

bool FilePreparation::Process(FILE* corpus, FILE* data) {
    data_ = data;
    return Read(corpus);
}

PrepNumbers FilePreparation::Added() const {
    return {line_ - start_.sentences, docs_met_ - start_.docs_met, static_cast<int64_t>(documents_.size())};
}

bool FilePreparation::Read(FILE* corpus) {
    const bool counting = data_ == nullptr;
    qz::LineReader reader(corpus);
    std::string line;
    long long lineNo = 0;
    for (qz::LineReader::Result result; (result = reader.Next(line)) != qz::LineReader::kEnd;) {
        ++lineNo;
        ++counts_.lines;
        // Dropped lines: no later stage could read them.
        if (result == qz::LineReader::kTooLong) {
            ++counts_.tooLong;
            if (!counting)
                messages_.Log("Warning: %s line %lld dropped: longer than %zu bytes\n", path_.c_str(), lineNo,
                              qz::kMaxLineBytes);
            continue;
        }
        if (result == qz::LineReader::kHasNul) {
            ++counts_.withNul;
            if (!counting)
                messages_.Log("Warning: %s line %lld dropped: it holds a zero byte\n", path_.c_str(), lineNo);
            continue;
        }
        if (!counting) {
            const size_t bad = FirstNonGbkByte(line);
            if (bad != std::string::npos) {
                messages_.Log("Error: %s line %lld is not GBK text (byte %zu)%s; convert the file to GBK\n",
                              path_.c_str(), lineNo, bad + 1, LooksLikeUtf8(line) ? ", it reads as UTF-8" : "");
                return false;
            }
        }
        ProcessLine(line);
    }
    if (ferror(corpus)) {
        messages_.Log("Error read %s\n", path_.c_str());
        return false;
    }
    if (name_.empty()) name_ = "Doc_" + std::to_string(docs_met_);
    FinishDocument();
    ++counts_.readFiles;
    return true;
}

void FilePreparation::ProcessLine(std::string_view text) {
    if (StartsWith(text, "Doc ")) {
        FinishDocument();
        ++docs_met_;
        name_.assign(text.substr(4));
        if (data_ && docs_met_ % kDocProgressStep == 0)
            messages_.Log("%lld Doc Processed\n", static_cast<long long>(docs_met_));
        doc_start_ = line_;
    } else if (StartsWith(text, "#Global ")) {
        if (data_) qz::SplitString(std::string(text.substr(8)).c_str(), " ;", items_);
    } else if (StartsWith(text, "Item:")) {
        const int64_t document = start_.documents + static_cast<int64_t>(documents_.size());
        if (data_) sent_info_ += SentInfoTextLine(line_, document, tag_);
        AddSentence(text.substr(5));
    } else if (StartsWith(text, "#Group")) {
        AddSentence(kGroupSeparator);
        const size_t equals = text.find('=');
        if (equals != std::string_view::npos) tag_.assign(text.substr(equals + 1));
    } else if (IsTagLine(text)) {
        tag_.assign(text.substr(4));
    } else {
        AddSentence(text);
    }
}

// Sentences go to the data text file at once; a document is recorded when it
// ends, so the file holds exactly the sentences of recorded documents.
void FilePreparation::AddSentence(std::string_view text) {
    if (data_) {
        const std::string line = DataTextLine(line_, text);
        fwrite(line.data(), 1, line.size(), data_);
    }
    ++line_;
    ++doc_sentences_;
}

void FilePreparation::FinishDocument() {
    if (doc_sentences_ == 0 || doc_start_ >= line_) return;
    documents_.push_back(PreparedDocument{doc_start_, line_, name_, std::move(items_)});
    items_.clear();
    doc_sentences_ = 0;
}

size_t FirstNonGbkByte(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t step = qz::GbkCharLen(text.data() + i, text.size() - i);
        if (step == 1 && lead >= 0x81 && lead <= 0xFE) return i;
        i += step;
    }
    return std::string_view::npos;
}

}  // namespace qav
