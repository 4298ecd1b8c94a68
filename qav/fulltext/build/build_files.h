// The builder's own input files: the configuration it copies into the index
// directory and the list of input files.
#pragma once

#include <string>

namespace qav_bm {

// Longest line of a file list; a longer one arrives in pieces.
constexpr size_t kFileListLineBytes = 1024;

// The text after the last "\" of path, or else after its last "/", or the
// whole path when it has neither.
std::string BaseName(const std::string& path);

// Copies the configuration to destination byte for byte; when both name the
// same file nothing is done (opening it "wb" would empty it). Logs
// "Error copyfile from %s to %s!\n" when the copy cannot be made.
void CopyConfig(const std::string& source, const std::string& destination);

// Lines of a file list that name no file: empty ones and those beginning with
// a blank, "#", "-" or "\".
bool IsListCommentLine(const std::string& line);

}  // namespace qav_bm
