// The "zel" modes that compile one word-network source into a single-block
// rule-network file.
#pragma once

namespace zel {

// "-idxnet source out dump" and "-idxnetlog source out dump"; the exit status.
int WordNetIdxMode(int argc, char** argv);

}  // namespace zel
