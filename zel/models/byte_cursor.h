// Bounded reading of a model file held whole in memory: every read checks the
// bytes left, so a damaged count or length fails the load instead of reading
// past the data.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zel {

class ByteCursor {
public:
    explicit ByteCursor(std::string_view data) : data_(data) {}

    size_t remaining() const { return data_.size() - pos_; }

    bool I32(int32_t* value) { return Fixed(value); }
    bool U8(uint8_t* value) { return Fixed(value); }
    bool F32(float* value) { return Fixed(value); }
    // An unsigned 8-bit length followed by that many bytes.
    bool ShortText(std::string* text) {
        uint8_t length;
        if (!U8(&length) || remaining() < length) return false;
        text->assign(data_.data() + pos_, length);
        pos_ += length;
        return true;
    }
    // A count read as i32 that is not negative and leaves room for at least
    // minBytes bytes per element.
    bool Count(int32_t* count, size_t minBytes) {
        return I32(count) && *count >= 0 && static_cast<uint64_t>(*count) * minBytes <= remaining();
    }

private:
    template <typename T>
    bool Fixed(T* value) {
        if (remaining() < sizeof(T)) return false;
        std::memcpy(value, data_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return true;
    }

    std::string_view data_;
    size_t pos_ = 0;
};

// The whole file, or false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* bytes);

}  // namespace zel
