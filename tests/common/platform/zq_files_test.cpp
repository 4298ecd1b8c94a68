#include "common/platform/zq_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

TEST(ZqMkdirs, CreatesEveryMissingLevel) {
    qztest::TempDir tmp;
    // Absolute path whose parents exist: only the tail is created.
    ASSERT_EQ(zq_mkdirs(tmp.file("a/b").c_str()), 1);
    EXPECT_TRUE(fs::is_directory(tmp.file("a/b")));

    // Relative path from inside the temporary folder, then the same path again.
    const fs::path cwd = fs::current_path();
    fs::current_path(tmp.path());
    EXPECT_EQ(zq_mkdirs("x/y/z"), 1);
    EXPECT_EQ(zq_mkdirs("x/y/z"), 1);
    fs::current_path(cwd);
    EXPECT_TRUE(fs::is_directory(tmp.file("x/y/z")));
}

TEST(ZqMkdirs, RefusesWhatItCannotCreate) {
    qztest::TempDir tmp;
    qztest::WriteFile(tmp.file("plain"), "x");
    EXPECT_EQ(zq_mkdirs(tmp.file("plain/sub").c_str()), 0);

    // Over-long paths fail instead of creating a cut-off directory.
    std::string deep = tmp.path();
    while (deep.size() < ZQ_MAX_PATH) deep += "/dddddddddd";
    EXPECT_EQ(zq_mkdirs(deep.c_str()), 0);
    EXPECT_FALSE(fs::exists(tmp.file("dddddddddd")));
}

int CollectPath(const char* path, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(path);
    return 1;
}

int StopAtFirst(const char* path, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(path);
    return 0;
}

TEST(ZqWalkdir, VisitsRegularFilesAndSkipsSpecialOnes) {
    qztest::TempDir tmp;
    fs::create_directories(tmp.file("sub/deeper"));
    qztest::WriteFile(tmp.file("one.txt"), "1");
    qztest::WriteFile(tmp.file("sub/two.txt"), "2");
    qztest::WriteFile(tmp.file("sub/deeper/three.txt"), "3");
    ASSERT_EQ(mkfifo(tmp.file("sub/pipe").c_str(), 0600), 0);

    std::vector<std::string> seen;
    EXPECT_EQ(zq_walkdir(tmp.path().c_str(), nullptr, CollectPath, &seen), 1);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{tmp.file("one.txt"), tmp.file("sub/deeper/three.txt"),
                                              tmp.file("sub/two.txt")}));

    std::vector<std::string> stopped;
    EXPECT_EQ(zq_walkdir(tmp.path().c_str(), nullptr, StopAtFirst, &stopped), 0);
    EXPECT_EQ(stopped.size(), 1u);

    EXPECT_EQ(zq_walkdir(tmp.file("missing").c_str(), nullptr, CollectPath, &seen), 0);
}

TEST(ZqPaths, DirectoryPartAndTrailingSeparator) {
    struct Case {
        const char* path;
        const char* dir;
    };
    for (const Case& c : {Case{"a/b/c.txt", "a/b"}, Case{"a\\b\\c.txt", "a\\b"}, Case{"/c.txt", ""},
                          Case{"c.txt", "c.txt"}, Case{"", ""}}) {
        std::string dest(std::string(c.path).size() + 1, 'X');
        EXPECT_STREQ(zq_getdirbyfile(c.path, dest.data()), c.dir) << c.path;
    }

    char with_sep[] = "dir/";
    EXPECT_EQ(zq_remove_last_dir_sep(with_sep), 4);
    EXPECT_STREQ(with_sep, "dir");
    char only_one[] = "dir//";
    EXPECT_EQ(zq_remove_last_dir_sep(only_one), 5);
    EXPECT_STREQ(only_one, "dir/");
    char empty[] = "";
    EXPECT_EQ(zq_remove_last_dir_sep(empty), 0);
}

TEST(ZqFiles, IsFileLinesAndCopy) {
    qztest::TempDir tmp;
    qztest::WriteFile(tmp.file("lines"), "a\nb\n\nlast");
    EXPECT_EQ(zq_isfile(tmp.file("lines").c_str()), 1);
    EXPECT_EQ(zq_isfile(tmp.path().c_str()), 0);
    EXPECT_EQ(zq_isfile(tmp.file("missing").c_str()), 0);

    EXPECT_EQ(zq_get_file_lines(tmp.file("lines").c_str()), 3);
    EXPECT_EQ(zq_get_file_lines(tmp.file("missing").c_str()), 0);

    std::string big(200000, 'x');
    for (size_t i = 0; i < big.size(); i += 1000) big[i] = '\n';
    qztest::WriteFile(tmp.file("big"), big);
    EXPECT_EQ(zq_get_file_lines(tmp.file("big").c_str()), 200);
    EXPECT_EQ(zq_copy_file(tmp.file("big").c_str(), tmp.file("copy").c_str()), 0);
    EXPECT_EQ(qztest::ReadFile(tmp.file("copy")), big);

    // A missing source fails, and the destination it opened remains empty.
    EXPECT_EQ(zq_copy_file(tmp.file("missing").c_str(), tmp.file("empty").c_str()), -1);
    EXPECT_TRUE(fs::exists(tmp.file("empty")));
    EXPECT_EQ(fs::file_size(tmp.file("empty")), 0u);
}

TEST(ZqFiles, WriteAndSeekWith64BitSizes) {
    qztest::TempDir tmp;
    FILE* f = fopen(tmp.file("w").c_str(), "wb+");
    ASSERT_NE(f, nullptr);
    const int items[3] = {1, 2, 3};
    EXPECT_EQ(zq_fwrite64(items, sizeof(int), 3, f), 3u);
    EXPECT_EQ(zq_fseek64(f, 4, SEEK_SET), 0);
    int second = 0;
    EXPECT_EQ(fread(&second, sizeof second, 1, f), 1u);
    EXPECT_EQ(second, 2);
    fclose(f);
}

TEST(GetExePath, GivesTheProgramsDirectory) {
    char buffer[4096];
    ASSERT_NE(get_exe_path(buffer, sizeof buffer), nullptr);
    std::string dir = buffer;
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(dir, fs::canonical("/proc/self/exe").parent_path().string() + "/");

    char tiny[4];
    EXPECT_EQ(get_exe_path(tiny, sizeof tiny), nullptr);
}

}  // namespace
