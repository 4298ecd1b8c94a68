#include "qav/index/build/corpus_prep.h"

#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <thread>

#include "qav/index/base/config.h"
#include "qav/index/build/corpus_file_prep.h"
#include "common/platform/file_handle.h"
#include "common/text/gbk_char.h"
#include "qav/index/format/index_files.h"
#include "qav/index/format/index_text_lines.h"
#include "common/text/line_reader.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/build/qav_tree.h"

namespace qav {

namespace {

constexpr size_t kMaxListLineBytes = 1023;
constexpr int kMaxDetectLines = 2000;
constexpr std::string_view kGroupSeparator = "\xF7\xFE";

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

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

void WriteOrg(FILE* org, const std::vector<PreparedDocument>& documents) {
    for (const PreparedDocument& doc : documents) Write(org, OrgLines(doc.begin, doc.end, doc.name));
}

void WriteDocInfo(FILE* docInfo, const std::vector<PreparedDocument>& documents) {
    for (size_t i = 0; i < documents.size(); ++i) {
        Write(docInfo, DocInfoHeaderLine(static_cast<int64_t>(i)));
        for (const std::string& item : documents[i].items) Write(docInfo, item + "\n");
    }
}

// Runs task(k) for k in [0, count) on at most threads threads.
template <typename Task>
void ForEachFile(size_t count, int threads, Task task) {
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t k; (k = next.fetch_add(1)) < count;) task(k);
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads && static_cast<size_t>(t) < count; ++t) workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();
}

// What preparing one listed corpus file made.
struct PreparedFile {
    std::unique_ptr<FilePreparation> prep;
    std::string list_line;  // its line of "List.txt"; empty when its data text file was not made
    bool ok = false;
};

// Prepares corpus file k (path) into its data text file, its numbers going on
// from start; every message is kept in the preparation.
PreparedFile PrepareFile(const std::string& dir, size_t k, const std::string& path, const PrepNumbers& start) {
    PreparedFile file;
    file.prep = std::make_unique<FilePreparation>(path, start);
    PrepMessages& messages = file.prep->messages();
    messages.LogOnly("Processing %s\n", path.c_str());
    qz::FileHandle corpus = qz::OpenFile(path, "rb");
    if (!corpus) {
        messages.Log("Error open %s\n", path.c_str());
        return file;
    }
    struct stat info;
    if (fstat(fileno(corpus.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
        messages.Log("Error: %s is a directory, not a corpus file\n", path.c_str());
        return file;
    }
    int tree_lines = 0;
    int considered = 0;
    const int kind = DetectFileType(path, tree_lines, considered);
    messages.Log("  [DetectFileType] %s : %d/%d tree lines (%.0f%%) -> type=%d\n", path.c_str(), tree_lines,
                 considered, considered ? 100.0 * tree_lines / considered : 0.0, kind);

    const std::string data_path = DataTextPath(dir, static_cast<int>(k));
    qz::FileHandle data = qz::OpenFile(data_path, "wb");
    if (!data) {
        messages.Log("Create or open %s error\n", data_path.c_str());
        return file;
    }
    file.list_line = ListLine(data_path, kind);
    if (!file.prep->Process(corpus.get(), data.get())) return file;
    if (!qz::CloseFile(data)) {
        messages.Log("Error write %s\n", data_path.c_str());
        return file;
    }
    file.ok = true;
    return file;
}

// The numbers each file starts from. Files are counted side by side; a file
// that cannot be opened adds nothing (its preparation then fails).
std::vector<PrepNumbers> FileStarts(const std::vector<std::string>& paths, int threads) {
    std::vector<PrepNumbers> added(paths.size());
    // The last file's numbers start no file.
    const size_t counted = paths.empty() ? 0 : paths.size() - 1;
    ForEachFile(counted, threads, [&](size_t k) {
        qz::FileHandle corpus = qz::OpenFile(paths[k], "rb");
        if (corpus) added[k] = FilePreparation::Count(corpus.get());
    });
    std::vector<PrepNumbers> starts(paths.size());
    for (size_t k = 1; k < paths.size(); ++k) {
        starts[k] = starts[k - 1];
        starts[k] += added[k - 1];
    }
    return starts;
}

// Prepares every file: with one thread, each from where the one before it
// ended; with more, side by side from the numbers counted beforehand.
std::vector<PreparedFile> PrepareFiles(const std::string& dir, const std::vector<std::string>& paths, int threads) {
    std::vector<PreparedFile> files(paths.size());
    if (threads <= 1) {
        PrepNumbers start;
        for (size_t k = 0; k < paths.size(); ++k) {
            files[k] = PrepareFile(dir, k, paths[k], start);
            // The files after a failed one are not prepared.
            if (!files[k].ok) break;
            start += files[k].prep->Added();
        }
        return files;
    }
    const std::vector<PrepNumbers> starts = FileStarts(paths, threads);
    ForEachFile(paths.size(), threads, [&](size_t k) { files[k] = PrepareFile(dir, k, paths[k], starts[k]); });
    return files;
}

}  // namespace

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
                    CorpusSummary* summary, int threads) {
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

    std::vector<PreparedFile> files = PrepareFiles(dir, corpus_files, threads);
    // What the files made goes out in the order of the list, up to the
    // first file that failed, as a preparation file by file would have it.
    std::vector<PreparedDocument> documents;
    for (size_t k = 0; k < files.size(); ++k) {
        PreparedFile& file = files[k];
        file.prep->messages().Replay();
        if (!file.list_line.empty()) Write(list.get(), file.list_line);
        const CorpusSummary& made = file.prep->counts();
        counts.readFiles += made.readFiles;
        counts.lines += made.lines;
        counts.tooLong += made.tooLong;
        counts.withNul += made.withNul;
        Write(sent_info.get(), file.prep->sent_info());
        for (PreparedDocument& document : file.prep->documents()) documents.push_back(std::move(document));
        if (!file.ok) {
            // Files after it were made side by side with it: remove their data text files.
            for (size_t later = k + 1; later < files.size(); ++later)
                if (files[later].prep) std::remove(DataTextPath(dir, static_cast<int>(later)).c_str());
            return false;
        }
    }

    WriteOrg(org.get(), documents);
    WriteDocInfo(doc_info.get(), documents);
    return CloseOutput(org, orgPath) && CloseOutput(doc_info, docInfoPath) && CloseOutput(sent_info, sentInfoPath) &&
           CloseOutput(list, listPath);
}

}  // namespace qav
