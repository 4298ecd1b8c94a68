#include "qav/index/format/index_manifest.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/platform/file_handle.h"
#include "qav/index/format/index_files.h"
#include "common/text/line_reader.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace {

constexpr size_t kDigestBlockBytes = size_t{1} << 20;
constexpr uint64_t kDigestSeed = 0xcbf29ce484222325ULL;
constexpr uint64_t kDigestPrime = 0x100000001b3ULL;

// Eight bytes at a time: every step is a bijection of the running value, so
// one changed byte always changes the digest.
uint64_t DigestBlock(uint64_t digest, const unsigned char* bytes, size_t size) {
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        digest = (digest ^ word) * kDigestPrime;
        digest ^= digest >> 29;
    }
    for (; i < size; ++i) digest = (digest ^ bytes[i]) * kDigestPrime;
    return digest;
}

}  // namespace

bool DigestFile(const std::string& path, ManifestEntry& entry) {
    qz::FileHandle file = qz::OpenFile(path, "rb");
    if (!file) return false;
    std::unique_ptr<unsigned char[]> block(new unsigned char[kDigestBlockBytes]);
    uint64_t digest = kDigestSeed;
    int64_t size = 0;
    // Blocks are whole multiples of 8, so the digest does not depend on how
    // the reads split the file.
    size_t n;
    while ((n = fread(block.get(), 1, kDigestBlockBytes, file.get())) > 0) {
        digest = DigestBlock(digest, block.get(), n);
        size += static_cast<int64_t>(n);
    }
    if (ferror(file.get())) return false;
    entry.size = size;
    entry.digest = digest;
    return true;
}

Manifest DigestFiles(const std::string& dir, const std::vector<std::string>& files) {
    Manifest digests;
    for (const std::string& name : files) {
        ManifestEntry entry;
        if (DigestFile(JoinPath(dir, name), entry)) digests.emplace(name, entry);
    }
    return digests;
}

bool WriteManifest(const std::string& dir, const std::vector<std::string>& files, const Manifest& digested) {
    const std::string path = JoinPath(dir, kManifestName);
    qz::FileHandle out = qz::OpenFile(path, "wb");
    if (!out) {
        QavLog("Create or open %s error\n", path.c_str());
        return false;
    }
    for (const std::string& name : files) {
        ManifestEntry entry;
        if (const auto known = digested.find(name); known != digested.end()) {
            entry = known->second;
        } else if (!DigestFile(JoinPath(dir, name), entry)) {
            QavLog("Error: cannot read %s for its checksum\n", JoinPath(dir, name).c_str());
            return false;
        }
        fprintf(out.get(), "%s\t%lld\t%016" PRIx64 "\n", name.c_str(), static_cast<long long>(entry.size),
                entry.digest);
    }
    if (qz::CloseFile(out)) return true;
    QavLog("Error write %s\n", path.c_str());
    return false;
}

bool ReadManifest(const std::string& path, Manifest& manifest) {
    manifest.clear();
    qz::FileHandle file = qz::OpenFile(path, "rb");
    if (!file) return false;
    qz::LineReader reader(file.get());
    std::string line;
    int lineNo = 0;
    for (qz::LineReader::Result result; (result = reader.Next(line)) != qz::LineReader::kEnd;) {
        ++lineNo;
        const size_t tab1 = line.find('\t');
        const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        long long size = -1;
        uint64_t digest = 0;
        int used = 0;
        const bool parsed = result == qz::LineReader::kLine && tab2 != std::string::npos && tab1 > 0 &&
                            sscanf(line.c_str() + tab1 + 1, "%lld\t%16" SCNx64 "%n", &size, &digest, &used) == 2 &&
                            tab1 + 1 + static_cast<size_t>(used) == line.size() && line.size() - tab2 == 17 &&
                            size >= 0;
        if (!parsed || !manifest.emplace(line.substr(0, tab1), ManifestEntry{size, digest}).second) {
            QavLog("Error: %s line %d is damaged\n", path.c_str(), lineNo);
            return false;
        }
    }
    if (ferror(file.get())) {
        QavLog("Error: cannot read %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace qav
