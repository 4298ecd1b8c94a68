#include "common/platform/binary_file.h"

#include <sys/stat.h>

#include "common/platform/byte_codec.h"

namespace qz {

BinaryFileReader::~BinaryFileReader() {
    if (file_) std::fclose(file_);
}

bool BinaryFileReader::Open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) return false;
    struct stat info;
    if (fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    size_ = static_cast<uint64_t>(info.st_size);
    pos_ = 0;
    return true;
}

bool BinaryFileReader::Bytes(uint64_t length, void* out) {
    if (!file_ || length > remaining()) return false;
    if (length && std::fread(out, 1, length, file_) != length) {
        pos_ = size_;  // the file changed under us; nothing more is trusted
        return false;
    }
    pos_ += length;
    return true;
}

template <typename T>
bool BinaryFileReader::Fixed(T* value) {
    unsigned char bytes[sizeof(T)];
    if (!Bytes(sizeof bytes, bytes)) return false;
    *value = bytes::Load<T>(bytes);
    return true;
}

bool BinaryFileReader::Text(uint64_t length, std::string* text) {
    if (length > remaining()) return false;
    text->resize(length);
    return Bytes(length, text->data());
}

bool BinaryFileReader::LengthText(uint32_t limit, std::string* text) {
    uint32_t length;
    return U32(&length) && length < limit && Text(length, text);
}

BinaryFileWriter::~BinaryFileWriter() {
    if (file_) std::fclose(file_);
}

bool BinaryFileWriter::Create(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wb");
    pos_ = 0;
    ok_ = file_ != nullptr;
    return ok_;
}

void BinaryFileWriter::Bytes(const void* data, size_t length) {
    if (!file_ || !length) return;
    if (std::fwrite(data, 1, length, file_) != length) ok_ = false;
    pos_ += length;
}

template <typename T>
void BinaryFileWriter::Fixed(T value) {
    unsigned char bytes[sizeof(T)];
    bytes::Store(bytes, value);
    Bytes(bytes, sizeof bytes);
}

void BinaryFileWriter::LengthText(const std::string& text) {
    U32(static_cast<uint32_t>(text.size()));
    Bytes(text.data(), text.size());
}

void BinaryFileWriter::PatchU32(uint64_t at, uint32_t value) {
    if (!file_) return;
    unsigned char bytes[4];
    bytes::Store(bytes, value);
    if (fseeko(file_, static_cast<off_t>(at), SEEK_SET) != 0 || std::fwrite(bytes, 1, 4, file_) != 4 ||
        fseeko(file_, static_cast<off_t>(pos_), SEEK_SET) != 0)
        ok_ = false;
}

bool BinaryFileWriter::Close() {
    if (!file_) return false;
    if (std::fclose(file_) != 0) ok_ = false;
    file_ = nullptr;
    return ok_;
}

// The inline accessors of the header call these; emit every width they use.
template bool BinaryFileReader::Fixed<uint8_t>(uint8_t*);
template bool BinaryFileReader::Fixed<uint32_t>(uint32_t*);
template bool BinaryFileReader::Fixed<int32_t>(int32_t*);
template bool BinaryFileReader::Fixed<int64_t>(int64_t*);
template void BinaryFileWriter::Fixed<uint8_t>(uint8_t);
template void BinaryFileWriter::Fixed<uint32_t>(uint32_t);
template void BinaryFileWriter::Fixed<int32_t>(int32_t);
template void BinaryFileWriter::Fixed<int64_t>(int64_t);

}  // namespace qz
