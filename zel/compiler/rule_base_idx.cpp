#include "zel/compiler/rule_base_idx.h"

#include <algorithm>
#include <cstdint>

#include "common/platform/file_handle.h"
#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/net_encoder.h"
#include "zel/rules/format/byte_reader.h"

namespace zel {

namespace {

bool WriteBytes(FILE* file, const std::string& bytes) {
    return fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool WriteEntry(FILE* index, const std::string& name, int32_t offset) {
    std::string entry;
    compiled_net::AppendOldIndexEntry(entry, name, offset);
    return WriteBytes(index, entry);
}

qz::FileHandle Open(const std::string& path) {
    qz::FileHandle file = qz::OpenFile(path, "wb");
    if (!file) CompilerError("Error open %s\n", path);
    return file;
}

bool Skipped(const std::string& line) {
    return line.empty() || line[0] == '\t' || line[0] == '/' || line[0] == '\\';
}

}  // namespace

namespace compiled_net {

void AppendOldIndexEntry(std::string& out, const std::string& name, int32_t offset) {
    AppendLengthText(out, name);
    AppendLE(out, offset);
}

bool RuleIdx(const std::string& name, const std::string& netPath, FILE* data, FILE* index,
             std::map<std::string, int32_t>& offsets) {
    WordNetData net;
    if (!Read_Old_Net(netPath, net)) {
        CompilerError("Error read %s\n", netPath);
        return false;
    }
    const long position = ftell(data);
    // Offsets are i32: a data file past 2 GiB cannot be indexed.
    if (position < 0 || position > INT32_MAX) return false;
    const int32_t offset = static_cast<int32_t>(position);
    if (!WriteBytes(data, EncodeFsaBlock(Encode_Old_Net(net, name)))) return false;
    offsets[netPath] = offset;
    return WriteEntry(index, name, offset);
}

}  // namespace compiled_net

bool RuleBaseIdx(const std::string& list, const std::string& idxPath, const std::string& datPath) {
    // The list is read whole: its lines have no length limit.
    std::string text;
    if (!ReadTextFile(list, text)) {
        CompilerError("Error open %s\n", list);
        return false;
    }
    qz::FileHandle index = Open(idxPath);
    if (!index) return false;
    qz::FileHandle data = Open(datPath);
    if (!data) return false;
    std::string name;
    std::map<std::string, int32_t> offsets;
    for (std::string line : SplitLines(text)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A zero byte ends the line as it ends a C string.
        line.resize(std::min(line.size(), line.find('\0')));
        if (Skipped(line)) continue;
        if (line[0] == '#') {
            name = line.substr(1);
            continue;
        }
        if (!StartsWith(line, "Net:")) continue;
        const std::string netPath = line.substr(4);
        // A file compiled before gets only another name in the index.
        const auto compiled = offsets.find(netPath);
        const bool ok = compiled != offsets.end()
                            ? WriteEntry(index.get(), name, compiled->second)
                            : compiled_net::RuleIdx(name, netPath, data.get(), index.get(), offsets);
        if (!ok) CompilerError("Error Idx Rule %s\n", name);
    }
    return true;
}

}  // namespace zel
