#include "service_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "include/qavlib.h"
#include "qav/index/base/qav_log.h"

namespace qztest {

std::string ServiceConfig() {
    return "{\"FileInfo\":{\"Data\":\"Data\",\"Offset\":\"Offset\",\"WordList\":\"WordList.dat\","
           "\"Unit\":\"Unit.dat\",\"OrgDat\":\"Org.dat\",\"SentInfo\":\"SentInfo.dat\","
           "\"DocInfo\":\"DocInfo.txt\",\"CatTable\":\"CatTable.txt\"},"
           "\"SizeInfo\":{\"HashSize_IdxUnit\":4099,\"HashSize_WordList\":4099,\"HashSize_SentInfo\":\"4099\"}}";
}

std::string WriteAt(const TempDir& dir, const std::string& name, const std::string& text) {
    const std::string path = dir.file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFile(path, text);
    return path;
}

std::string BuildOneLineIndex(const TempDir& dir, const std::string& name) {
    const std::string config = WriteAt(dir, "config.json", ServiceConfig());
    const std::string corpus = WriteAt(dir, "one.txt", Gbk("我/r 爱/v 上海/ns\n"));
    const std::string list = WriteAt(dir, "corpus.lst", corpus + "\n");
    const std::string index = dir.file(name);
    testing::internal::CaptureStdout();
    const int built = IdxMainAllInOne(config.c_str(), list.c_str(), index.c_str());
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(1, built) << output;
    return index;
}

void CloseOpenBuildLog() {
    if (qav::g_log_file) qav::QavLogClose();
}

}  // namespace qztest
