// The compiler writes its intermediate files into the working folder: each
// test runs inside a fresh temporary folder and leaves it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <dirent.h>
#include <set>
#include <memory>
#include <string>

#include "support/test_support.h"
#include "zel/compiler/compiler_messages.h"

class InWorkFolder : public ::testing::Test {
protected:
    void SetUp() override {
        working_ = std::make_unique<qztest::WorkingFolder>(dir_.path());
        ASSERT_TRUE(working_->entered());
        zel::ClearCompilerMessageLog();
    }
    void TearDown() override { working_.reset(); }

    // Writes the UTF-8 text as GBK into the working folder.
    static void WriteGbk(const std::string& name, const std::string& utf8) {
        qztest::WriteFile(name, qztest::Gbk(utf8));
    }
    // Names in the working folder.
    static std::set<std::string> Files() {
        std::set<std::string> names;
        DIR* dir = opendir(".");
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.insert(name);
        }
        closedir(dir);
        return names;
    }

    qztest::TempDir dir_;
    std::unique_ptr<qztest::WorkingFolder> working_;
};
