// Start-up checks of a structured index directory: the engine serves only a
// folder that a build finished, whose files are those the build wrote and
// agree with one another. Every refusal logs which file is wrong and how.
#pragma once

#include <string>
#include <vector>

namespace qav {

class CConfig;
class CQAVEngine;

// A build creates this file in its folder first and removes it last; a
// folder that holds it was never finished.
constexpr const char kUnfinishedMarkerName[] = "Unfinished.txt";

// The files of dir that the engine reads, as paths relative to dir:
// "Engine.txt", the numbered data and offset files up to the first missing
// one, and the word list, unit index, document table, sentence information
// and document information that exist. The category table and "config.txt"
// are not among them: the user supplies or tunes them after the build.
std::vector<std::string> EngineReadFiles(const CConfig& config, const std::string& dir);
// The numbered data and offset files among them, which a build leaves as
// they are once its sort has ended.
std::vector<std::string> EngineDataFiles(const CConfig& config, const std::string& dir);

// Before loading: refuses a folder with the unfinished-build marker, and,
// when dir holds "Checksums.txt", a folder whose engine files are not
// exactly those listed with their sizes and digests. Without the list (an
// index built before it was written) the files go unverified, which is
// logged, and only the checks after loading apply.
bool VerifyIndexFiles(const CConfig& config, const std::string& dir);

// After loading: the data files carry their header and tail blocks, every
// unit's records lie inside its offset file, every sentence of the sentence
// information lies in a data file, and the document table and document
// information describe the same documents. The document table, sentence and
// document information may be missing from an index without a file list,
// which is logged.
bool CheckLoadedIndex(const CQAVEngine& engine);

}  // namespace qav
