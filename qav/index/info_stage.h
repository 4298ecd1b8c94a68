// Final stage of an index build: sentence information and document table,
// built in two parallel threads.
#pragma once

#include <string>

// Work of one thread of the final build stage.
struct CIdxInfoBlock {
    std::string paths[3];
    unsigned char result = 0;
};
// ("Info/Corpus.ID", "SentInfo.txt", "SentInfo.dat") -> sentence information.
void* IdxSentInfoThread(void* block);
// ("Info/Corpus.ID", "Org.txt", ORGDAT) -> document table.
void* WriteOrgThread(void* block);
// Both final stages for the index directory D, in parallel.
bool IdxSentInfoAndWriteOrg(const std::string& indexDir);
