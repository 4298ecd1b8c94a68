// The "zel" modes that build character n-gram models.
#pragma once

namespace zel {

// "-idxngram" (plain model) and "-idxngram_lm" (back-off model): argv[2] to
// argv[5] are the character list, the n-gram text and the index and data
// files to write, argv[6] the minimum count. With another argument count the
// usage is printed and the answer is -1; a build that fails answers -1, one
// that succeeds 0.
int NgramMode(int argc, char** argv);

}  // namespace zel
