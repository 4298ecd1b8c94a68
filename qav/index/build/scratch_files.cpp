#include "qav/index/build/scratch_files.h"

#include <cstdio>

namespace qav {

void ScratchFiles::Name(const std::string& prefix, int groups) {
    Remove();
    for (int g = 0; g < groups; ++g) paths_.push_back(prefix + "_" + std::to_string(g) + suffix_);
}

void ScratchFiles::Remove() {
    for (const std::string& path : paths_) std::remove(path.c_str());
    paths_.clear();
}

}  // namespace qav
