// The index entries and the two files of a compiled rule base.
#include "common/platform/file_handle.h"
#include "zel/rules/format/byte_reader.h"
#include "zel/rules/format/fsa_format.h"

namespace zel {

namespace {

void AppendTexts(std::string& out, const std::vector<std::string>& texts) {
    AppendLE(out, static_cast<int32_t>(texts.size()));
    for (const std::string& text : texts) AppendLengthText(out, text);
}

bool ReadTexts(ByteReader& in, std::vector<std::string>& texts) {
    int32_t count;
    if (!in.Count(count, static_cast<int64_t>(in.remaining() / 4))) return false;
    texts.resize(static_cast<size_t>(count));
    for (std::string& text : texts) {
        if (!in.LengthText(text, in.remaining() + 1)) return false;
    }
    return true;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    qz::FileHandle file = qz::OpenFile(path, "wb");
    if (!file) return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    return qz::CloseFile(file) && written;
}

}  // namespace

void FsaFileNames(const std::string& folder, const std::string& name, std::string& idxPath, std::string& datPath) {
    bool named = name.size() >= 3 && name.find("fsa") != std::string::npos;
    std::string stem = folder + "/" + name + (named ? "" : "fsa");
    idxPath = stem + ".idx";
    datPath = stem + ".dat";
}

void AppendFsaIndexCount(std::string& out, int32_t count) { AppendLE(out, count); }

void AppendFsaIndexEntry(std::string& out, const FsaIndexEntry& entry) {
    AppendLengthText(out, entry.name);
    AppendLE(out, entry.offset);
    AppendTexts(out, entry.libraries);
    AppendTexts(out, entry.defaults);
    AppendTexts(out, entry.conditions);
}

bool ReadFsaIndexEntry(ByteReader& in, FsaIndexEntry& entry) {
    return in.LengthText(entry.name, in.remaining() + 1) && in.I32(entry.offset) && ReadTexts(in, entry.libraries) &&
           ReadTexts(in, entry.defaults) && ReadTexts(in, entry.conditions);
}

bool WriteFsaFiles(const std::string& idxPath, const std::string& datPath, const std::vector<FsaNet>& nets) {
    std::string idx, dat;
    AppendFsaIndexCount(idx, static_cast<int32_t>(nets.size()));
    for (const FsaNet& net : nets) {
        FsaIndexEntry entry = net.entry;
        entry.offset = kFsaNoBlock;
        if (net.block) {
            entry.offset = static_cast<int32_t>(dat.size());
            dat += EncodeFsaBlock(*net.block);
        }
        AppendFsaIndexEntry(idx, entry);
    }
    return WriteAll(idxPath, idx) && WriteAll(datPath, dat);
}

bool ReadFsaBlockAt(std::FILE* file, int64_t offset, std::string& body) {
    if (offset < 0 || fseeko(file, 0, SEEK_END) != 0) return false;
    int64_t fileSize = ftello(file);
    int32_t size;
    if (offset > fileSize - 4 || fseeko(file, offset, SEEK_SET) != 0 || fread(&size, 4, 1, file) != 1) return false;
    if (size < 0 || size > fileSize - offset - 4) return false;
    body.resize(static_cast<size_t>(size));
    return size == 0 || fread(body.data(), 1, body.size(), file) == body.size();
}

bool WriteFsaSingleBlock(const std::string& path, const FsaBlock& block) {
    return WriteAll(path, EncodeFsaBlock(block));
}

}  // namespace zel
