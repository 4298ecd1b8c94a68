#include "qav/index/engine/index_check.h"

#include <sys/stat.h>

#include <cstring>
#include <set>

#include "qav/index/base/config.h"
#include "qav/index/format/data_file.h"
#include "qav/index/format/index_files.h"
#include "qav/index/format/index_manifest.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "common/platform/zq_files.h"

namespace qav {

namespace {

constexpr int kMaxNumberedFiles = 255;  // file numbers are one byte
constexpr int kComplexUnitType = 5;

int64_t FileSize(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<int64_t>(info.st_size);
}

// path relative to dir; a path outside dir stays whole.
std::string Relative(const std::string& dir, const std::string& path) {
    const std::string prefix = dir + "/";
    return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

bool CheckListedFiles(const Manifest& manifest, const std::vector<std::string>& present, const std::string& dir) {
    const std::set<std::string> presentSet(present.begin(), present.end());
    for (const std::string& name : present) {
        if (manifest.count(name) == 0) {
            QavLog("Error: %s is not a file of the index built in %s\n", JoinPath(dir, name).c_str(), dir.c_str());
            return false;
        }
    }
    for (const auto& [name, expected] : manifest) {
        const std::string path = JoinPath(dir, name);
        ManifestEntry found;
        if (presentSet.count(name) == 0 || !DigestFile(path, found)) {
            QavLog("Error: index file %s is missing\n", path.c_str());
            return false;
        }
        if (found.size != expected.size) {
            QavLog("Error: index file %s has %lld bytes, the build wrote %lld\n", path.c_str(),
                   static_cast<long long>(found.size), static_cast<long long>(expected.size));
            return false;
        }
        if (found.digest != expected.digest) {
            QavLog("Error: index file %s is damaged (its checksum differs from the build's)\n", path.c_str());
            return false;
        }
    }
    return true;
}

bool CheckDataFiles(const CQAVEngine& engine) {
    const std::string header = DataHeaderBlock();
    const std::string tail = DataTailBlock();
    for (size_t i = 0; i < engine.DataFileCount(); ++i) {
        const std::string path = DatFilePath(engine.m_config.m_FileInfo.Data, static_cast<int>(i));
        const uint64_t bytes = uint64_t{engine.m_corpusLength[i]} * 4;
        const auto* words = reinterpret_cast<const char*>(engine.m_corpus[i].get());
        const bool sound = static_cast<int64_t>(bytes) == FileSize(path) && bytes >= 2 * kDataBlockBytes &&
                           std::memcmp(words, header.data(), kDataBlockBytes) == 0 &&
                           std::memcmp(words + bytes - kDataBlockBytes, tail.data(), kDataBlockBytes) == 0;
        if (!sound) {
            QavLog("Error: data file %s is damaged (no whole header and tail block)\n", path.c_str());
            return false;
        }
    }
    return true;
}

bool CheckOffsetRegions(const CQAVEngine& engine) {
    std::vector<int64_t> sizes;
    for (size_t i = 0; i < engine.OffsetFileCount(); ++i)
        sizes.push_back(FileSize(DatFilePath(engine.m_config.m_FileInfo.Offset, static_cast<int>(i))));
    for (const CHashNode* unit : engine.m_unitTable.unit_list) {
        if (!unit || unit->count == 0) continue;
        const int64_t width = unit->type == kComplexUnitType ? 9 : 8;
        const bool inside = unit->file_no < sizes.size() && unit->offset >= 0 &&
                            unit->offset + width * int64_t{unit->count} <= sizes[unit->file_no];
        if (!inside) {
            QavLog("Error: the records of unit %s lie outside offset file %d; the unit index and the offset "
                   "files are not of one build\n",
                   unit->name.c_str(), static_cast<int>(unit->file_no));
            return false;
        }
    }
    return true;
}

bool KeyInData(const CQAVEngine& engine, uint64_t key) {
    const uint64_t group = key >> 32;
    const uint64_t position = key & 0xFFFFFFFFu;
    return group < engine.DataFileCount() && position >= kFirstWordPosition &&
           position < engine.m_corpusLength[group];
}

bool CheckSentences(const CQAVEngine& engine) {
    const CHashTableInfo& info = engine.m_sentInfo;
    for (uint32_t i = 0; i < info.RecordCount(); ++i) {
        if (!KeyInData(engine, info.Record(i).key)) {
            QavLog("Error: sentence information %s names a sentence outside the data files\n",
                   engine.m_config.m_FileInfo.SentInfo.c_str());
            return false;
        }
    }
    return true;
}

bool CheckDocuments(const CQAVEngine& engine) {
    const CFileInfo& files = engine.m_config.m_FileInfo;
    const std::vector<uint64_t>& keys = engine.m_orgInfo.Keys();
    // Entry 0 is the start value, the others the documents' end keys.
    const size_t documents = keys.empty() ? 0 : keys.size() - 1;
    for (size_t i = 1; i < keys.size(); ++i) {
        if (keys[i] < keys[i - 1]) {
            QavLog("Error: document table %s is damaged (document ends out of order)\n", files.OrgDat.c_str());
            return false;
        }
    }
    if (documents > 0 && engine.m_sentInfo.DocCount() > 0 && documents != engine.m_sentInfo.DocCount()) {
        QavLog("Error: document table %s lists %zu documents, document information %s %zu\n", files.OrgDat.c_str(),
               documents, files.DocInfo.c_str(), engine.m_sentInfo.DocCount());
        return false;
    }
    return true;
}

void LogMissing(const std::string& path, const char* what, const char* consequence) {
    if (!path.empty() && !zq_isfile(path.c_str()))
        QavLog("Warning: no %s %s: %s\n", what, path.c_str(), consequence);
}

}  // namespace

std::vector<std::string> EngineReadFiles(const CConfig& config, const std::string& dir) {
    // The index's configuration copy is left out on purpose: it is where an
    // operator raises capacities and limits after the build, and start-up
    // parses it anyway.
    std::vector<std::string> files{kEngineFileName};
    for (std::string& name : EngineDataFiles(config, dir)) files.push_back(std::move(name));
    const CFileInfo& info = config.m_FileInfo;
    for (const std::string* path : {&info.WordList, &info.Unit, &info.OrgDat, &info.SentInfo, &info.DocInfo})
        if (!path->empty() && FileSize(*path) >= 0) files.push_back(Relative(dir, *path));
    return files;
}

std::vector<std::string> EngineDataFiles(const CConfig& config, const std::string& dir) {
    std::vector<std::string> files;
    const CFileInfo& info = config.m_FileInfo;
    for (const std::string* prefix : {&info.Data, &info.Offset}) {
        for (int i = 0; i < kMaxNumberedFiles && !prefix->empty(); ++i) {
            const std::string path = DatFilePath(*prefix, i);
            if (FileSize(path) < 0) break;
            files.push_back(Relative(dir, path));
        }
    }
    return files;
}

bool VerifyIndexFiles(const CConfig& config, const std::string& dir) {
    if (FileSize(JoinPath(dir, kUnfinishedMarkerName)) >= 0) {
        QavLog("Error: %s holds an unfinished index build (%s); it is not served\n", dir.c_str(),
               kUnfinishedMarkerName);
        return false;
    }
    const std::string listPath = JoinPath(dir, kManifestName);
    if (FileSize(listPath) < 0) {
        QavLog("Warning: %s has no %s: its files are not verified\n", dir.c_str(), kManifestName);
        return true;
    }
    Manifest manifest;
    if (!ReadManifest(listPath, manifest)) return false;
    return CheckListedFiles(manifest, EngineReadFiles(config, dir), dir);
}

bool CheckLoadedIndex(const CQAVEngine& engine) {
    const CFileInfo& files = engine.m_config.m_FileInfo;
    LogMissing(files.OrgDat, "document table", "hits have no document names or ranges");
    LogMissing(files.SentInfo, "sentence information", "sentence tags are unknown");
    LogMissing(files.DocInfo, "document information", "filters on document information find nothing");
    return CheckDataFiles(engine) && CheckOffsetRegions(engine) && CheckSentences(engine) && CheckDocuments(engine);
}

}  // namespace qav
