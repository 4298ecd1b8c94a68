#include "pipeline_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "include/qavlib.h"
#include "qav/index/base/qav_log.h"

namespace fs = std::filesystem;

namespace qztest {

std::string PipelineConfig(const std::string& sizeInfoExtra) {
    return "{\"FileInfo\":{\"Data\":\"Data\",\"Offset\":\"Offset\",\"WordList\":\"WordList.dat\","
           "\"Unit\":\"Unit.dat\",\"OrgDat\":\"Org.dat\",\"SentInfo\":\"SentInfo.dat\","
           "\"DocInfo\":\"DocInfo.txt\",\"CatTable\":\"CatTable.txt\"},"
           "\"SizeInfo\":{\"HashSize_IdxUnit\":4099,\"HashSize_WordList\":4099,\"HashSize_SentInfo\":\"4099\"" +
           sizeInfoExtra + "},\"Clause Seperator\":[\"" + Gbk("，") + "\",\"" + Gbk("。") + "\"]}";
}

std::string WriteAt(const TempDir& dir, const std::string& name, const std::string& text) {
    const std::string path = dir.file(name);
    fs::create_directories(fs::path(path).parent_path());
    WriteFile(path, text);
    return path;
}

std::string WriteCorpusList(const TempDir& dir, const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& file : files) text += file + "\n";
    return WriteAt(dir, "corpus.lst", text);
}

std::string SampleCorpusList(const TempDir& dir, const std::string& sample) {
    const std::string folder = DataDir() + "/" + sample;
    std::istringstream in(ReadFile(folder + "/corpus.lst"));
    std::vector<std::string> files;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        files.push_back(fs::absolute(folder + "/" + line).string());
    }
    return WriteCorpusList(dir, files);
}

std::vector<std::string> BuildLogs(const std::string& dir) {
    std::vector<std::string> logs;
    if (!fs::exists(dir)) return logs;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("qav_idx_", 0) == 0 && entry.path().extension() == ".log") logs.push_back(entry.path().string());
    }
    return logs;
}

std::map<std::string, std::string> IndexFiles(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = fs::relative(entry.path(), dir).string();
        if (name.rfind("qav_idx_", 0) == 0) continue;
        files[name] = ReadFile(entry.path().string());
    }
    return files;
}

int BuildIndex(const std::string& config, const std::string& list, const std::string& dir, std::string* output) {
    testing::internal::CaptureStdout();
    const int result = IdxMainAllInOne(config.c_str(), list.c_str(), dir.c_str());
    const std::string captured = testing::internal::GetCapturedStdout();
    if (output) *output = captured;
    return result;
}

void CloseOpenBuildLog() {
    if (qav::g_log_file) qav::QavLogClose();
}

}  // namespace qztest
