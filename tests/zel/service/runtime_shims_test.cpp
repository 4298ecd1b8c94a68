#include "zel/service/runtime_shims.h"

#include <gtest/gtest.h>

#include <atomic>

#include "support/test_support.h"
#include "zel/service/zq_thread.h"

namespace zel {
namespace {

TEST(RuntimeShims, FilesAndNames) {
    qztest::TempDir dir;
    char text[16];
    EXPECT_STREQ(itoa(255, text, 16), "255");
    EXPECT_EQ(stricmp("AbC", "abc"), 0);
    EXPECT_EQ(_atoi64("12345678901"), 12345678901LL);
    EXPECT_EQ(_access(dir.path().c_str()), 0);
    EXPECT_NE(_access(dir.file("none").c_str()), 0);

    // A missing source still creates (or empties) the target.
    qztest::WriteFile(dir.file("target"), "old");
    EXPECT_EQ(zq_copy_file(dir.file("none").c_str(), dir.file("target").c_str()), 0);
    EXPECT_EQ(qztest::ReadFile(dir.file("target")), "");

    std::string big(200000, 'q');
    qztest::WriteFile(dir.file("source"), big);
    EXPECT_EQ(zq_copy_file(dir.file("source").c_str(), dir.file("target").c_str()), 0);
    EXPECT_EQ(qztest::ReadFile(dir.file("target")), big);

    char address[64];
    ASSERT_NE(zq_gethostbyname("127.0.0.1", address, sizeof address), nullptr);
    EXPECT_STREQ(address, "127.0.0.1");
}

std::atomic<int> g_ran{0};
int CountRun(void* step) {
    g_ran += *static_cast<int*>(step);
    return 0;
}

TEST(GrammarThreads, StartAndWait) {
    g_ran = 0;
    int step = 1;
    pthread_t handles[4];
    for (pthread_t& handle : handles) ASSERT_TRUE(zq_thread_start(&handle, CountRun, &step));
    zq_thread_wait(handles, 4);
    EXPECT_EQ(g_ran, 4);
    EXPECT_EQ(zq_thread_start_and_wait(CountRun, &step), 0);
    EXPECT_EQ(g_ran, 5);
    pthread_t direct = thread_create_ex(
        [](void* s) -> void* {
            CountRun(s);
            return nullptr;
        },
        &step);
    EXPECT_EQ(thread_join_ex(direct), 0);
    EXPECT_EQ(g_ran, 6);
}

}  // namespace
}  // namespace zel
