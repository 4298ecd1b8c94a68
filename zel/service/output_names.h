// Where the command line's builds write: a folder with its trailing
// separator, made when missing, and the base name of a source.
#pragma once

#include <string>

namespace zel {

// The file name after the last "/" (else after the last "\\") without its
// last extension.
std::string SourceBaseName(const std::string& source);
// folder with a trailing "/" unless it ends with a separator already; the
// folder is made (0775) when missing.
std::string PrepareOutputFolder(const std::string& folder);

}  // namespace zel
