// Appending to a fixed-capacity text buffer that others may also empty or
// read: the length is remembered between appends and measured again only
// when the buffer was changed behind our back, and nothing is ever written
// past the capacity.
#pragma once

#include <cstddef>
#include <cstring>

namespace zel {

class BoundedText {
public:
    BoundedText() = default;
    BoundedText(char* data, size_t capacity) : data_(data), capacity_(capacity) {}

    char* data() const { return data_; }
    size_t capacity() const { return capacity_; }

    size_t Length() {
        // Owners empty a buffer by its first byte; a text cut elsewhere is
        // at worst appended to after the cut, never past the capacity.
        bool stillValid = length_ < capacity_ && data_[length_] == '\0' &&
                          (length_ == 0 || (data_[0] != '\0' && data_[length_ - 1] != '\0'));
        if (!stillValid) length_ = strnlen(data_, capacity_ - 1);
        return length_;
    }

    // Appends as much of the bytes as fits; false when some did not fit.
    bool Append(const char* bytes, size_t count) {
        size_t at = Length();
        size_t room = capacity_ - 1 - at;
        size_t taken = count < room ? count : room;
        std::memcpy(data_ + at, bytes, taken);
        length_ = at + taken;
        data_[length_] = '\0';
        return taken == count;
    }
    bool Append(const char* text) { return Append(text, std::strlen(text)); }

    void Empty() {
        data_[0] = '\0';
        length_ = 0;
    }

private:
    char* data_ = nullptr;
    size_t capacity_ = 0;
    size_t length_ = 0;
};

}  // namespace zel
