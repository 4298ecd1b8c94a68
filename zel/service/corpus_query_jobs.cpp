// Corpus queries run on threads of their own: one shared output buffer
// under the process-wide lock, or one result slot per client number.
#include <new>
#include <string>
#include <vector>

#include "zel/service/corpus_client.h"
#include "zel/service/mission_lock.h"
#include "zel/service/start_state.h"
#include "zellib.h"

namespace {

// Sentences a page of a client's result holds.
constexpr int kSentencesPerPage = 5000;

}  // namespace

int JParserThread(void* argument) {
    auto* job = static_cast<ZelQueryJob*>(argument);
    if (!job) return 0;
    zel::MissionGuard lock;
    std::vector<std::string> parts = zel::SplitJobText(job->text);
    if (!parts.empty()) {
        int got = 0;
        QAV(job->base, job->query, parts, job->wanted, job->out, got, job->id);
    }
    return 0;
}

int JParserThread_QAV(void* argument) {
    auto* job = static_cast<ZelQueryJob*>(argument);
    if (!job) return 0;
    job->result = nullptr;
    job->pages = 0;
    std::vector<std::string> parts = zel::SplitJobText(job->text);
    // A client without a slot of its own gets nothing rather than another
    // client's buffer.
    const auto slot = zel::g_mapIP2No.find(job->id);
    if (slot == zel::g_mapIP2No.end() || slot->second < 0 || slot->second >= zel::kQueryClients) return 0;
    const int no = slot->second;
    if (!zel::g_psRetJP[no]) zel::g_psRetJP[no] = new (std::nothrow) char[ZEL_QUERY_RESULT_BYTES]();
    if (!zel::g_psRetJP[no]) return 0;
    QAV(job->base, job->query, parts, job->wanted, zel::g_psRetJP[no], zel::g_nRetNumJP[no], job->id);
    job->result = zel::g_psRetJP[no];
    job->pages = zel::g_nRetNumJP[no] / kSentencesPerPage + 1;
    return 0;
}
