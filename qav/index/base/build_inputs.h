// The builders' own input files: the file list, the paths in it, and the
// configuration copied into the index directory.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace qav {

// Lines of a file list are read in pieces of at most 1,023 bytes.
constexpr size_t kListLineBytes = 1024;

// Lines of a file list that name no file: empty ones and those beginning
// with a blank, "#", "-" or "\".
bool IsListCommentLine(const std::string& line);

// The text after the last "\" of path, or else after its last "/", or the
// whole path when it has neither.
std::string _basename(const std::string& path);

// Copies source to destination byte for byte. When either cannot be opened,
// or the copy cannot be completed, logs "Error copyfile from %s to %s!\n".
// A destination that is the source file itself is left as it is.
void CopyFile(const std::string& source, const std::string& destination);

// Appends all of in to out; false on a read or write error.
bool CopyBytes(std::FILE* in, std::FILE* out);

}  // namespace qav
