// Bounded reading and checked writing of the binary index files. Every read
// is checked against the bytes left in the file, so a damaged count or length
// makes the read fail instead of running past the data.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace qz {

class BinaryFileReader {
public:
    BinaryFileReader() = default;
    ~BinaryFileReader();
    BinaryFileReader(const BinaryFileReader&) = delete;
    BinaryFileReader& operator=(const BinaryFileReader&) = delete;

    // False when the file cannot be opened or its size cannot be taken.
    bool Open(const std::string& path);

    uint64_t remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ == size_; }

    bool U8(uint8_t* value) { return Fixed(value); }
    bool U32(uint32_t* value) { return Fixed(value); }
    bool I32(int32_t* value) { return Fixed(value); }
    bool I64(int64_t* value) { return Fixed(value); }
    // A text of exactly length bytes.
    bool Text(uint64_t length, std::string* text);
    // A u32 (or i32) length below limit, then that many bytes.
    bool LengthText(uint32_t limit, std::string* text);
    bool Bytes(uint64_t length, void* out);

private:
    template <typename T>
    bool Fixed(T* value);

    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
    uint64_t pos_ = 0;
};

// Collects write errors so that a file is reported bad only once, at Close.
class BinaryFileWriter {
public:
    BinaryFileWriter() = default;
    ~BinaryFileWriter();
    BinaryFileWriter(const BinaryFileWriter&) = delete;
    BinaryFileWriter& operator=(const BinaryFileWriter&) = delete;

    // Creates (truncates) the file; false when it cannot be created.
    bool Create(const std::string& path);

    void U8(uint8_t value) { Fixed(value); }
    void U32(uint32_t value) { Fixed(value); }
    void I32(int32_t value) { Fixed(value); }
    void I64(int64_t value) { Fixed(value); }
    void Bytes(const void* data, size_t length);
    // u32 length then the bytes.
    void LengthText(const std::string& text);
    // Overwrites a u32 at an earlier byte offset and returns to the end.
    void PatchU32(uint64_t at, uint32_t value);
    uint64_t position() const { return pos_; }

    // Closes the file; true when every write and the close succeeded.
    bool Close();

private:
    template <typename T>
    void Fixed(T value);

    std::FILE* file_ = nullptr;
    uint64_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace qz
