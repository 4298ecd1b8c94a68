#include "qav/index/build/info_stage.h"

#include "qav/index/engine/org_info.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/engine/sent_info.h"
#include "common/platform/zq_thread.h"

namespace qav {

void* IdxSentInfoThread(void* arg) {
    auto* block = static_cast<CIdxInfoBlock*>(arg);
    QavLog("  [Thread] Idx Sent Info start\n");
    block->result = IdxSentInfo(block->paths[0], block->paths[1], block->paths[2]) ? 1 : 0;
    QavLog("  [Thread] Idx Sent Info done (result=%d)\n", block->result);
    return nullptr;
}

void* WriteOrgThread(void* arg) {
    auto* block = static_cast<CIdxInfoBlock*>(arg);
    QavLog("  [Thread] Write Org Info start\n");
    block->result = WriteOrgInfo(block->paths[0], block->paths[1], block->paths[2]) ? 1 : 0;
    QavLog("  [Thread] Write Org Info done\n");
    return nullptr;
}

void RunIdxInfoThreads(CIdxInfoBlock& sentBlock, CIdxInfoBlock& orgBlock) {
    pthread_t sentThread = thread_create_ex(IdxSentInfoThread, &sentBlock);
    pthread_t orgThread = thread_create_ex(WriteOrgThread, &orgBlock);
    // A thread that could not start leaves its block unset: run it here.
    if (!sentThread) IdxSentInfoThread(&sentBlock);
    if (!orgThread) WriteOrgThread(&orgBlock);
    if (sentThread) thread_join_ex(sentThread, nullptr);
    if (orgThread) thread_join_ex(orgThread, nullptr);
}

bool IdxSentInfoAndWriteOrg(const std::string& indexDir) {
    const std::string idFile = indexDir + "/Info/Corpus.ID";
    CIdxInfoBlock sentBlock{{idFile, indexDir + "/SentInfo.txt", indexDir + "/SentInfo.dat"}};
    CIdxInfoBlock orgBlock{{idFile, indexDir + "/Org.txt", indexDir + "/Org.dat"}};
    QavLog("Idx Sent Info + Write Org Info (parallel) ...\n");
    RunIdxInfoThreads(sentBlock, orgBlock);
    if (sentBlock.result == 0) {
        QavLog("Error: Idx Sent Info failed\n");
    } else if (orgBlock.result == 1) {
        QavLog("Done.\n");
    } else {
        QavLog("Error: Write Org Info failed\n");
    }
    return sentBlock.result == 1 && orgBlock.result == 1;
}

}  // namespace qav
