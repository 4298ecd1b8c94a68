// The folder a build writes in: a new folder beside the target index, put in
// place only when every stage has succeeded, so that the index in the target
// stays whole and servable until the new one replaces it in one step, and a
// failed or killed build leaves nothing that could be served.
#pragma once

#include <string>

namespace qav {

class CConfig;

class BuildStaging {
public:
    // target: the index directory the build is for.
    explicit BuildStaging(const std::string& target);
    // Removes the staging folder unless Commit succeeded.
    ~BuildStaging();
    BuildStaging(const BuildStaging&) = delete;
    BuildStaging& operator=(const BuildStaging&) = delete;

    // target + ".building"; the build writes all its files here.
    const std::string& dir() const { return staging_; }

    // Removes whatever an earlier (killed) build left in the staging folder,
    // creates it with its "Info" folder and the unfinished-build marker.
    // False, with a message, when that fails or the target is there but is
    // no directory.
    bool Prepare();

    // Removes the marker and swaps the staging folder with the target in
    // one rename, then moves the entries of the old folder that are no files
    // of an index (the user's category table, earlier build logs, anything
    // else of the user's) into the new one and removes the rest of the old
    // index. A running engine keeps the old files it has open. False, with a
    // message, when the swap fails; the target is then as it was.
    bool Commit(const CConfig& config);

private:
    void MoveUserEntries(const std::string& from, const CConfig& config) const;

    std::string target_;
    std::string staging_;
    bool committed_ = false;
};

// Writes the unfinished-build marker into dir; false when it cannot.
bool WriteUnfinishedMarker(const std::string& dir);
// Removes the marker from dir; false when it is there and cannot be removed.
bool RemoveUnfinishedMarker(const std::string& dir);

}  // namespace qav
