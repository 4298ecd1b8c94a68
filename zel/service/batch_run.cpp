#include "zel/service/batch_run.h"

#include <pthread.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/file_handle.h"
#include "common/text/line_reader.h"
#include "zel/lattice/json_input.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/format/run_switches.h"
#include "zel/rules/process/process_rule.h"
#include "zel/service/zq_thread.h"

namespace zel {

namespace {

// Line buffers, closing zero included: a longer line arrives in pieces, each
// taken as a line of its own.
constexpr size_t kInputLineBytes = 102400;
constexpr size_t kListLineBytes = 1024;

}  // namespace

bool Parser_File(const char* ruleSet, const char* input, const char* output, int interval) {
    if (!ruleSet || !input || !output) return false;
    // An interval below 1 would divide by zero; such a run reports every line.
    if (interval < 1) interval = 1;
    auto lattice = std::make_unique<CLattice>();
    qz::LineReader reader(input, kInputLineBytes, qz::LongLines::kSplit);
    if (!reader.ok()) return false;
    qz::FileHandle out(std::fopen(output, "wb"));
    if (!out) return false;

    std::string line;
    int count = 0;
    for (qz::LineReader::Result r; (r = reader.Next(line)) != qz::LineReader::kEnd;) {
        if (r != qz::LineReader::kLine || (!line.empty() && line[0] == '#')) continue;
        std::fputc('\n', out.get());
        ++count;
        if (count % interval == 0 && g_showMsg) std::printf("Processing %d\t[%s]\n", count, input);
        int from = 0, to = 0;
        InputData(lattice.get(), line.c_str(), from, to);
        int asLua = -1;  // actions run as Lua; nothing is encoded
        ProcessRule(lattice.get(), ruleSet, "", nullptr, 0, asLua);
        std::fprintf(out.get(), "#%s\n", line.c_str());
        std::fprintf(out.get(), "%s ", lattice->returnText.c_str());
    }
    out.reset();
    std::puts("\nDone!");
    return true;
}

int BatchFileThread(void* record) {
    const auto* batch = static_cast<const BatchRecord*>(record);
    Parser_File(batch->ruleSet.c_str(), batch->input.c_str(), batch->output.c_str(), batch->interval);
    return 0;
}

std::vector<size_t> BatchSizes(size_t names, int threads) {
    // No thread at all would never finish the list.
    const size_t width = static_cast<size_t>(std::max(threads, 1));
    std::vector<size_t> sizes;
    for (size_t left = names; left > 0; left -= sizes.back()) sizes.push_back(std::min(left, width));
    return sizes;
}

bool BatchFile_Thread(const char* listFile, const char* ruleSet, int threads, int interval, int extra) {
    if (!listFile || !ruleSet) return false;
    qz::LineReader reader(listFile, kListLineBytes, qz::LongLines::kSplit);
    if (!reader.ok()) {
        std::printf("Error open %s\n", listFile);
        return false;
    }
    // Every listed name is kept, however long the list.
    std::vector<std::string> names;
    std::string line;
    while (reader.Next(line) != qz::LineReader::kEnd)
        if (!line.empty() && line[0] != ' ') names.push_back(line);

    // No interval would divide by zero.
    if (interval < 1) interval = 1;
    std::vector<BatchRecord> records;
    std::vector<pthread_t> handles;
    size_t next = 0;
    for (size_t batch : BatchSizes(names.size(), threads)) {
        records.assign(batch, BatchRecord{});
        handles.assign(batch, pthread_t{});
        int started = 0;
        for (size_t i = 0; i < batch; ++i, ++next) {
            BatchRecord& record = records[i];
            record = BatchRecord{ruleSet, names[next], names[next] + "_out", interval, extra};
            if (zq_thread_start(&handles[static_cast<size_t>(started)], BatchFileThread, &record))
                ++started;
            else
                BatchFileThread(&record);  // no thread to be had: the file still runs
        }
        zq_thread_wait(handles.data(), started);
    }
    return true;
}

}  // namespace zel
