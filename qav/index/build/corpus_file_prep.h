// One corpus file's share of the preparation of a build: its lines rewritten
// into its data text file, its documents and its lines of "SentInfo.txt".
// Sentence lines, "Doc " lines and documents are numbered across the whole
// corpus list, so a file starts from the numbers of the files before it; what
// it makes besides its data text file, its messages included, is kept until
// the files before it are done, so that files can be prepared side by side
// and everything still comes out in the order of the list.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "qav/index/build/corpus_summary.h"

namespace qav {

// Numbers a corpus file starts from (those of the files before it), or adds.
struct PrepNumbers {
    int64_t sentences = 0;  // sentence lines of the data text files
    int64_t docs_met = 0;   // "Doc " lines
    int64_t documents = 0;  // documents recorded

    PrepNumbers& operator+=(const PrepNumbers& more);
};

struct PreparedDocument {
    int64_t begin;  // line number of the first sentence
    int64_t end;    // line number after the last sentence
    std::string name;
    std::vector<std::string> items;
};

// Messages kept for later, then given to the build's log in their order.
class PrepMessages {
public:
    // printf-style: for standard output and the build log.
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // printf-style: for the build log only.
    void LogOnly(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Replay() const;

private:
    struct Message {
        bool console;
        std::string text;
    };
    std::vector<Message> messages_;
};

class FilePreparation {
public:
    // path names the file in messages.
    FilePreparation(std::string path, const PrepNumbers& start);

    // The numbers the file adds, read without checking its text, writing or
    // keeping anything: the files after it start from them.
    static PrepNumbers Count(FILE* corpus);

    // Rewrites the file into its data text file; false at a line that is not
    // GBK text, or when the file cannot be read.
    bool Process(FILE* corpus, FILE* data);

    // The numbers the lines processed so far added.
    PrepNumbers Added() const;
    const std::string& sent_info() const { return sent_info_; }
    std::vector<PreparedDocument>& documents() { return documents_; }
    const CorpusSummary& counts() const { return counts_; }
    PrepMessages& messages() { return messages_; }

private:
    // Reads the lines through; with no data file, only counts.
    bool Read(FILE* corpus);
    void ProcessLine(std::string_view line);
    void AddSentence(std::string_view text);
    void FinishDocument();

    std::string path_;
    PrepNumbers start_;
    FILE* data_ = nullptr;
    int64_t line_;       // number of the next sentence
    int64_t doc_start_;  // number of the current document's first sentence
    int64_t docs_met_;   // "Doc " lines met, with those of the files before
    int64_t doc_sentences_ = 0;
    std::string name_;
    std::string tag_ = "text";
    std::vector<std::string> items_;
    std::vector<PreparedDocument> documents_;
    std::string sent_info_;
    CorpusSummary counts_;
    PrepMessages messages_;
};

// Byte offset of the first byte of text that starts no GBK character (a lead
// byte without its trail byte), or npos when the whole text is GBK.
size_t FirstNonGbkByte(std::string_view text);

}  // namespace qav
