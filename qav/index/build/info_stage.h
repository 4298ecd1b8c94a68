// Final stage of an index build: sentence information and document table,
// built in two parallel threads.
#pragma once

#include <string>

namespace qav {

// Work of one thread of the final build stage.
struct CIdxInfoBlock {
    std::string paths[3];
    unsigned char result = 0;
};
// ("Info/Corpus.ID", "SentInfo.txt", "SentInfo.dat") -> sentence information.
void* IdxSentInfoThread(void* block);
// ("Info/Corpus.ID", "Org.txt", ORGDAT) -> document table.
void* WriteOrgThread(void* block);
// Runs IdxSentInfoThread on sentBlock and WriteOrgThread on orgBlock in
// parallel and joins both (a thread that cannot be started runs on the
// caller's thread instead).
void RunIdxInfoThreads(CIdxInfoBlock& sentBlock, CIdxInfoBlock& orgBlock);
// Both final stages for the index directory D, in parallel.
bool IdxSentInfoAndWriteOrg(const std::string& indexDir);

}  // namespace qav
