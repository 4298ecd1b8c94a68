// Checks shared by the tests of the binary index file readers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

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

// Every proper prefix of a good file, and the file with one byte added, is
// refused with message (printf-style with the path).
inline void ExpectEveryTruncationRefused(const std::string& good, const std::string& messageFormat,
                                         const std::function<bool(const std::string&)>& load) {
    qztest::TempDir dir;
    const std::string path = dir.file("damaged");
    char expected[4096];
    std::snprintf(expected, sizeof expected, messageFormat.c_str(), path.c_str());
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

}  // namespace index_checks
