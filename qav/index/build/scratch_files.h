// Scratch files a build makes per file group next to its index files, named
// after one prefix: removed once the build is done with them, or when their
// owner goes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qav {

class ScratchFiles {
public:
    // suffix ends each name: "<prefix>_<group><suffix>".
    explicit ScratchFiles(std::string suffix) : suffix_(std::move(suffix)) {}
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;
    ~ScratchFiles() { Remove(); }

    // Names the files of groups 0 .. groups - 1, removing any named before.
    void Name(const std::string& prefix, int groups);
    size_t size() const { return paths_.size(); }
    const std::string& Path(size_t g) const { return paths_[g]; }
    // Removes the files; their names go too.
    void Remove();

private:
    std::string suffix_;
    std::vector<std::string> paths_;
};

}  // namespace qav
