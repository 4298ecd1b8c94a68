#include "qav/index/build/build_staging.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "qav/index/base/config.h"
#include "common/platform/file_handle.h"
#include "qav/index/engine/index_check.h"
#include "qav/index/format/index_files.h"
#include "qav/index/format/index_manifest.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace fs = std::filesystem;

namespace {

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
}

// The first path component of path relative to dir; empty when path is not
// under dir.
std::string TopEntry(const std::string& dir, const std::string& path) {
    const std::string prefix = dir + "/";
    if (path.compare(0, prefix.size(), prefix) != 0) return std::string();
    const std::string rest = path.substr(prefix.size());
    return rest.substr(0, rest.find('/'));
}

// Whether name is base + "_" + a number + extension.
bool IsNumberedName(const std::string& name, const std::string& base, const std::string& extension) {
    if (base.empty() || name.size() <= base.size() + 1 + extension.size()) return false;
    if (name.compare(0, base.size(), base) != 0 || name[base.size()] != '_') return false;
    if (name.compare(name.size() - extension.size(), extension.size(), extension) != 0) return false;
    const size_t first = base.size() + 1;
    const size_t last = name.size() - extension.size();
    for (size_t i = first; i < last; ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

// Names at the top of an index folder that belong to the index itself: a
// new build has its own, and old ones must not be mixed into it.
class IndexEntryNames {
public:
    IndexEntryNames(const CConfig& config, const std::string& dir)
        : names_{kConfigCopyName,  kEngineFileName,  kListFileName, kOrgTextName,  kSentInfoTextName,
                 kDocInfoTextName, kSentInfoDatName, kInfoDirName,  kManifestName, kUnfinishedMarkerName},
          data_(TopEntry(dir, config.m_FileInfo.Data)),
          offset_(TopEntry(dir, config.m_FileInfo.Offset)) {
        const CFileInfo& files = config.m_FileInfo;
        for (const std::string* path : {&files.WordList, &files.Unit, &files.OrgDat, &files.SentInfo, &files.DocInfo})
            names_.insert(TopEntry(dir, *path));
    }

    bool Contains(const std::string& name) const {
        return names_.count(name) > 0 || IsNumberedName(name, data_, ".dat") || IsNumberedName(name, offset_, ".dat") ||
               IsNumberedName(name, "Data", ".txt");
    }

private:
    std::set<std::string> names_;
    std::string data_;
    std::string offset_;
};

// Exchanges the two folders in one step where the system can; otherwise
// moves the old one aside first (a short moment without a target).
bool SwapFolders(const std::string& staging, const std::string& target) {
    std::error_code error;
    if (!fs::exists(target, error)) return std::rename(staging.c_str(), target.c_str()) == 0;
    if (renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    const std::string aside = staging + ".old";
    fs::remove_all(aside, error);
    if (std::rename(target.c_str(), aside.c_str()) != 0) return false;
    if (std::rename(staging.c_str(), target.c_str()) != 0) {
        std::rename(aside.c_str(), target.c_str());
        return false;
    }
    return std::rename(aside.c_str(), staging.c_str()) == 0;
}

}  // namespace

BuildStaging::BuildStaging(const std::string& target)
    : target_(WithoutTrailingSeparators(target)), staging_(target_ + ".building") {}

BuildStaging::~BuildStaging() {
    if (committed_) return;
    std::error_code error;
    fs::remove_all(staging_, error);
}

bool BuildStaging::Prepare() {
    std::error_code error;
    if (fs::exists(target_, error) && !fs::is_directory(target_, error)) {
        QavLog("Error: %s is not a directory\n", target_.c_str());
        return false;
    }
    fs::remove_all(staging_, error);
    if (error) {
        QavLog("Error: cannot remove the unfinished build %s: %s\n", staging_.c_str(), error.message().c_str());
        return false;
    }
    if (!fs::create_directories(JoinPath(staging_, kInfoDirName), error) || !WriteUnfinishedMarker(staging_)) {
        QavLog("Error: cannot create the build folder %s\n", staging_.c_str());
        return false;
    }
    return true;
}

bool BuildStaging::Commit(const CConfig& config) {
    if (!RemoveUnfinishedMarker(staging_)) return false;
    if (!SwapFolders(staging_, target_)) {
        QavLog("Error: cannot put the new index %s in place of %s: %s\n", staging_.c_str(), target_.c_str(),
               std::strerror(errno));
        WriteUnfinishedMarker(staging_);
        return false;
    }
    committed_ = true;
    // The staging path now holds the old index, if there was one.
    std::error_code error;
    if (fs::exists(staging_, error)) {
        MoveUserEntries(staging_, config);
        fs::remove_all(staging_, error);
        if (error) QavLog("Warning: the old index %s could not be removed: %s\n", staging_.c_str(), error.message().c_str());
    }
    return true;
}

void BuildStaging::MoveUserEntries(const std::string& from, const CConfig& config) const {
    // The configuration's paths name the files under the staging folder.
    const IndexEntryNames index(config, staging_);
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(from, error)) {
        const std::string name = entry.path().filename().string();
        const fs::path to = fs::path(target_) / name;
        if (index.Contains(name) || fs::exists(to, error)) continue;
        fs::rename(entry.path(), to, error);
        if (error) QavLog("Warning: %s could not be kept: %s\n", entry.path().c_str(), error.message().c_str());
    }
}

bool WriteUnfinishedMarker(const std::string& dir) {
    const std::string path = JoinPath(dir, kUnfinishedMarkerName);
    qz::FileHandle marker = qz::OpenFile(path, "wb");
    if (!marker) return false;
    fputs("This folder holds an index build that has not finished; the engine does not serve it.\n", marker.get());
    return qz::CloseFile(marker);
}

bool RemoveUnfinishedMarker(const std::string& dir) {
    const std::string path = JoinPath(dir, kUnfinishedMarkerName);
    if (std::remove(path.c_str()) == 0 || errno == ENOENT) return true;
    QavLog("Error: cannot remove %s\n", path.c_str());
    return false;
}

}  // namespace qav
