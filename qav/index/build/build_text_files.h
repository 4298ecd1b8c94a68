// Reading the builder's own text files: the file list and the paths in it.
#pragma once

#include <cstddef>
#include <string>

// Lines of a file list are read in pieces of at most 1,023 bytes.
constexpr size_t kListLineBytes = 1024;

// Lines of a file list that name no file: empty ones and those beginning
// with a blank, "#", "-" or "\".
bool IsListCommentLine(const std::string& line);

// The text after the last "\" of path, or else after its last "/", or the
// whole path when it has neither.
std::string _basename(const std::string& path);
