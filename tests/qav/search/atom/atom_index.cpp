#include "atom_index.h"

#include <gtest/gtest.h>

#include "support/mini_index.h"
#include "common/platform/byte_codec.h"
#include <filesystem>
#include "support/mini_index.h"
#include "common/platform/byte_codec.h"
#include "support/test_support.h"

namespace qztest {

namespace {

constexpr uint32_t kSentence = 512;

}  // namespace

int16_t AtomIndex::AnchorAfter(uint32_t leftWord) {
    // Body: twelve fillers, then 甲 中 乙 中 的 中.
    switch (leftWord) {
        case kJia: return 13;
        case kYi: return 15;
        default: return 17;
    }
}

std::string AtomIndex::ChildName(const std::string& key, int i) {
    return key.substr(0, key.size() - 1) + "_" + std::to_string(i) + "|";
}

void AtomIndex::Write(const std::string& dir, const std::string& extraConfig) {
    MiniIndex index;
    std::vector<uint32_t> body(12, kFiller);
    for (uint32_t left : {kJia, kYi, kDe}) {
        body.push_back(left);
        body.push_back(kZhong);
    }
    index.dataFiles = {body};
    index.words = {Gbk("一"), Gbk("甲"), Gbk("乙"), Gbk("的"), Gbk("中")};
    index.units = {};

    std::string offsets;
    auto addLeaf = [&](const std::string& name, const std::vector<uint32_t>& leftWords) {
        index.units.units.push_back({name, static_cast<int64_t>(offsets.size()),
                                     static_cast<int32_t>(leftWords.size()), 3, 0});
        for (uint32_t left : leftWords) {
            qz::bytes::Append(offsets, kSentence);
            qz::bytes::Append(offsets, AnchorAfter(left));
            offsets.push_back('\0');  // data file
            offsets.push_back('\0');  // clause
        }
    };
    for (const Complex& complex : {Complex{"k5|", 5}, Complex{"k10|", 10}}) {
        std::vector<std::string> children;
        for (int i = 0; i < complex.children; ++i) {
            children.push_back(ChildName(complex.key, i));
            addLeaf(children.back(), std::vector<uint32_t>(i + 1, i % 2 ? kYi : kJia));
        }
        index.units.complex_units.push_back({complex.key, children});
    }
    addLeaf(Gbk("的_n|"), {kDe, kDe});
    index.units.complex_units.push_back({"gap|", {"k5_0|", "missing|", "k5_2|"}});
    const size_t pastEnd = index.units.units.size();
    index.units.units.push_back({"past_end|", 0, 4, 3, 0});
    index.units.complex_units.push_back({"broken|", {"k5_0|", "past_end|", "k5_2|"}});
    addLeaf("chunk|", {kJia, kYi, kJia, kYi});
    const int64_t chunkStart = index.units.units.back().offset;
    index.units.units.push_back({"chunk|_0", chunkStart, 2, 3, 0});
    index.units.units.push_back({"chunk|_1", chunkStart + 16, 2, 3, 0});
    index.units.complex_units.push_back({"chunk|", {"chunk|_0", "chunk|_1"}});
    int n = 1;
    for (const char* key : {"|k10", "<k10", "k10>", "$k10", "k10@"})
        index.units.complex_units.push_back({key, {ChildName("k10|", n++)}});
    // The last region of the offset file, cut off by DropPastEndRecords.
    index.units.units[pastEnd].offset = static_cast<int64_t>(offsets.size());
    offsets.append(kPastEndBytes, '\0');
    index.offsetFiles = {};
    index.Write(dir);

    WriteFile(dir + "/Offset_0.dat", offsets);
    if (!extraConfig.empty()) {
        std::string config = ReadFile(dir + "/config.txt");
        config.insert(config.size() - 1, "," + extraConfig);
        WriteFile(dir + "/config.txt", config);
    }
}

void AtomIndex::DropPastEndRecords(const std::string& dir) {
    const std::string path = dir + "/Offset_0.dat";
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - kPastEndBytes);
}

}  // namespace qztest
