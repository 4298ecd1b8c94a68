// Copies of files into a structured index directory.
#pragma once

#include <string>

// Copies source to destination byte for byte. When either cannot be opened,
// or the copy cannot be completed, logs "Error copyfile from %s to %s!\n".
// A destination that is the source file itself is left as it is.
void CopyFile(const std::string& source, const std::string& destination);

// Creates "Info/Corpus.ID" in dir from the identifier files infoDataPrefix +
// "_%d.ID" of groups 0 to groupCount - 1, in order. Logs "Error open %s\n"
// and returns false when the merged file cannot be created or a group file
// cannot be read; false too when writing fails.
bool MergeCorpusIDFiles(int groupCount, const std::string& dir, const std::string& infoDataPrefix);
