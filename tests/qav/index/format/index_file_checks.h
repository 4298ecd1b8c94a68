// Checks shared by the tests of the binary index file readers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace index_checks {

inline std::string U32(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
inline std::string I32(int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
inline std::string I64(int64_t v) { return std::string(reinterpret_cast<const char*>(&v), 8); }

// Runs load(path) on bytes written to a file and returns what it printed.
inline std::string LoadFails(const std::string& path, const std::string& bytes,
                             const std::function<bool(const std::string&)>& load, bool* loaded) {
    qztest::WriteFile(path, bytes);
    testing::internal::CaptureStdout();
    *loaded = load(path);
    return testing::internal::GetCapturedStdout();
}

// The message a refused load prints: messageFormat is printf-style with the path.
inline std::string Message(const std::string& messageFormat, const std::string& path) {
    char text[4096];
    std::snprintf(text, sizeof text, messageFormat.c_str(), path.c_str());
    return text;
}

// Every proper prefix of a good file, and the file with one byte added, is
// refused with message (printf-style with the path).
inline void ExpectEveryTruncationRefused(const std::string& good, const std::string& messageFormat,
                                         const std::function<bool(const std::string&)>& load) {
    qztest::TempDir dir;
    const std::string path = dir.file("damaged");
    const std::string expected = Message(messageFormat, path);
    for (size_t length = 0; length <= good.size(); ++length) {
        const std::string bytes = length < good.size() ? good.substr(0, length) : good + "x";
        bool loaded = true;
        const std::string printed = LoadFails(path, bytes, load, &loaded);
        EXPECT_FALSE(loaded) << "accepted a file of " << bytes.size() << " of " << good.size() << " bytes";
        EXPECT_EQ(printed, expected) << "file of " << bytes.size() << " bytes";
    }
}

// good with the bytes at offset replaced by patch.
inline std::string Patched(std::string good, size_t offset, const std::string& patch) {
    return good.replace(offset, patch.size(), patch);
}

// A damaged copy of a good file: what is wrong, and the bytes put at offset.
struct FilePatch {
    const char* what;
    size_t offset;
    std::string patch;
};

// Each patched copy of a good file is refused with message (printf-style
// with the path).
inline void ExpectPatchesRefused(const std::string& good, const std::vector<FilePatch>& patches,
                                 const std::string& messageFormat,
                                 const std::function<bool(const std::string&)>& load) {
    qztest::TempDir dir;
    const std::string path = dir.file("patched");
    const std::string expected = Message(messageFormat, path);
    for (const FilePatch& p : patches) {
        bool loaded = true;
        EXPECT_EQ(LoadFails(path, Patched(good, p.offset, p.patch), load, &loaded), expected) << p.what;
        EXPECT_FALSE(loaded) << p.what;
    }
}

}  // namespace index_checks
