// Tables the model builder fills while it streams the n-gram text.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "zel/models/hz_info.h"
#include "zel/models/ngram_builder.h"

namespace zel {

// Value of a character or pair that has no line: far below the floor, so it
// is stored as the floor.
constexpr float kNoLineValue = -1.55e32f;

struct BuildTables {
    CHZInfo chars;  // code map and codes; values below
    std::vector<float> uniProb, uniBackoff;
    std::vector<float> pairProb, pairBackoff;
    std::vector<uint64_t> pairOffset;

    int Count() const { return chars.Count(); }
    size_t PairIndex(int a, int b) const { return static_cast<size_t>(a) * Count() + b; }
};

// Output file that counts its bytes and remembers a failed write.
class CountingFile {
public:
    explicit CountingFile(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
    ~CountingFile() {
        if (file_) std::fclose(file_);
    }
    CountingFile(const CountingFile&) = delete;
    CountingFile& operator=(const CountingFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    void Write(const std::string& bytes) {
        if (ok_ && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) ok_ = false;
        position_ += bytes.size();
    }
    uint64_t Position() const { return position_; }
    // Closes the file; false when any write or the close failed.
    bool Close() {
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        return ok_ && closed;
    }

private:
    std::FILE* file_;
    bool ok_ = true;
    uint64_t position_ = 0;
};

// Writes one group (its lines without the two prefix characters) to data.
// False when a list outgrows its count field.
bool WriteGroup(std::vector<std::string>& lines, const BuildTables& tables, NgramBuildMode mode, CountingFile& data);

}  // namespace zel
