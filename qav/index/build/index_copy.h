// The corpus identifier file of a structured index directory.
#pragma once

#include <string>

namespace qav {

// Creates "Info/Corpus.ID" in dir from the identifier files infoDataPrefix +
// "_%d.ID" of groups 0 to groupCount - 1, in order. Logs "Error open %s\n"
// and returns false when the merged file cannot be created or a group file
// cannot be read; false too when writing fails.
bool MergeCorpusIDFiles(int groupCount, const std::string& dir, const std::string& infoDataPrefix);

}  // namespace qav
