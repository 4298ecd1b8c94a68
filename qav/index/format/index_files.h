// Names and numbered paths of the files in a structured index directory.
// The configurable paths (Data, Offset, WordList, Unit, OrgDat and their
// "Info" twins) come from the configuration's file info.
#pragma once

#include <string>

namespace qav {

constexpr const char kConfigCopyName[] = "config.txt";
constexpr const char kEngineFileName[] = "Engine.txt";
constexpr const char kListFileName[] = "List.txt";
constexpr const char kOrgTextName[] = "Org.txt";
constexpr const char kSentInfoTextName[] = "SentInfo.txt";
constexpr const char kDocInfoTextName[] = "DocInfo.txt";
constexpr const char kSentInfoDatName[] = "SentInfo.dat";
constexpr const char kInfoDirName[] = "Info";
constexpr const char kCorpusIdName[] = "Info/Corpus.ID";
// Suffix of the text views of the word list and the unit index.
constexpr const char kTextViewSuffix[] = "_txt";

// dir + "/" + name
std::string JoinPath(const std::string& dir, const std::string& name);
// Data or offset file n: prefix + "_%d.dat".
std::string DatFilePath(const std::string& prefix, int n);
// Identifier file of group g: prefix + "_%d.ID".
std::string IdFilePath(const std::string& prefix, int group);
// Data text file of corpus file k: dir + "/Data_%d.txt".
std::string DataTextPath(const std::string& dir, int k);
// Warning file of a data text file: infoDir followed by the text from the
// path's last "\" (or else its last "/"), or by "/" and the whole path.
std::string WarningFilePath(const std::string& infoDir, const std::string& dataTextPath);

}  // namespace qav
