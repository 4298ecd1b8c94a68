#include "build_fixture.h"

#include <sys/stat.h>

namespace qztest {

BuildFixture::BuildFixture() {
    mkdir(dir.file("Info").c_str(), 0775);
    qav::CConfig& config = idx.m_Config;
    config.m_IndexDir = dir.path();
    config.m_InfoDir = dir.file("Info");
    qav::CFileInfo& files = config.m_FileInfo;
    files.Data = dir.file("Data");
    files.DataInInfo = dir.file("Info/Data");
    files.Offset = dir.file("Offset");
    files.WordList = dir.file("WordList.dat");
    files.WordListInInfo = dir.file("Info/WordList.dat");
    files.Unit = dir.file("Unit.dat");
    files.UnitInInfo = dir.file("Info/Unit.dat");
    config.m_SizeInfo.HashSize_IdxUnit = 4099;
    config.m_SizeInfo.HashSize_WordList = 4099;
    config.m_ClauseSeperator.insert(Gbk("，"));
}

std::string BuildFixture::AddFile(const std::vector<std::string>& sentences, long long firstLine) {
    std::string text;
    for (const std::string& sentence : sentences) text += std::to_string(firstLine++) + "\t" + Gbk(sentence) + "\n";
    const std::string path = dir.file("Data_" + std::to_string(next_file_++) + ".txt");
    WriteFile(path, text);
    return path;
}

void BuildFixture::SetGroups(const std::vector<std::vector<std::string>>& groups) {
    idx.m_FileGroups = groups;
    idx.m_KindGroups.clear();
    for (const auto& group : groups) idx.m_KindGroups.emplace_back(group.size(), 0);
    idx.m_nGroupCount = static_cast<int32_t>(groups.size());
}

bool BuildFixture::Count() {
    idx.InitHash();
    bool counted = idx.CountUnitWord();
    idx.MergeHash();
    idx.HashTables2WordList();
    return idx.PruneWordList() && counted;
}

bool BuildFixture::Build() { return Count() && idx.WriteInitOffset() && idx.CreateOffset(); }

uint32_t BuildFixture::UnitCount(const std::string& utf8, int type) const {
    const qav::CHashNode* node = idx.m_Tables.units.GetHashNode(Gbk(utf8), type);
    return node ? node->count : 0;
}

}  // namespace qztest
