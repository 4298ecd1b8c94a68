// Bounded little-endian reading from a byte buffer: every read checks the
// bytes left first, so a damaged count or length fails the read instead of
// running past the buffer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zel {

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    size_t remaining() const { return bytes_.size() - pos_; }
    size_t position() const { return pos_; }
    bool AtEnd() const { return pos_ == bytes_.size(); }

    template <typename T>
    bool Fixed(T& value) {
        if (remaining() < sizeof value) return false;
        std::memcpy(&value, bytes_.data() + pos_, sizeof value);
        pos_ += sizeof value;
        return true;
    }
    bool I32(int32_t& value) { return Fixed(value); }
    // An i32 that must lie in 0..limit.
    bool Count(int32_t& value, int64_t limit) { return I32(value) && value >= 0 && value <= limit; }
    bool Bytes(size_t length, std::string& out) {
        if (remaining() < length) return false;
        out.assign(bytes_.data() + pos_, length);
        pos_ += length;
        return true;
    }
    // An i32 length (0 up to limit - 1), then that many bytes.
    bool LengthText(std::string& out, size_t limit) {
        int32_t length;
        return I32(length) && length >= 0 && static_cast<size_t>(length) < limit &&
               Bytes(static_cast<size_t>(length), out);
    }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

// Appends value's little-endian bytes.
template <typename T>
inline void AppendLE(std::string& out, T value) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.append(bytes, sizeof value);
}

// i32 length, then the bytes.
inline void AppendLengthText(std::string& out, std::string_view text) {
    AppendLE(out, static_cast<int32_t>(text.size()));
    out.append(text);
}

}  // namespace zel
