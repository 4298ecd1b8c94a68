// Names of saved result files.
#pragma once

#include <string>

namespace qav {

// A plain file name: not empty, and without "/", "\\" or "..", so that it
// names a file inside the save folder and nowhere else.
bool IsPlainFileName(const std::string& name);

}  // namespace qav
