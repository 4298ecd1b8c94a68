#include "qav/index/base/zq_format.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/platform/zq_thread.h"

namespace {

TEST(QavSnprintf, CutsAndRefusesAsDocumented) {
    char buf[16];
    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(qav_snprintf(buf, 4, "%s", "0123456789"), 3);
    EXPECT_EQ(std::string(buf, 5), std::string("012\0X", 5));

    EXPECT_EQ(qav_snprintf(buf, sizeof buf, "%d-%s", 7, "x"), 3);
    EXPECT_STREQ(buf, "7-x");

    EXPECT_EQ(qav_snprintf(nullptr, 10, "abc"), -1);
    EXPECT_EQ(qav_snprintf(buf, sizeof buf, "%s", ""), -1);

    for (int size : {0, -5}) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(qav_snprintf(buf, size, "abc"), -1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "buffer_len not enough:" + std::to_string(size) + "\n");
    }
}

TEST(ZqUint64Cmp, ComparesWholeValues) {
    struct Case {
        uint64_t a, b;
        int sign;
    };
    for (const Case& c : {Case{1, 2, -1}, Case{2, 1, 1}, Case{5, 5, 0}, Case{0x80000000u, 0, 1},
                          Case{0, 0x80000000u, -1}, Case{1ull << 32, 1, 1}, Case{~0ull, 0, 1}}) {
        int r = zq_uint64_cmp(&c.a, &c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    }
}

TEST(GetFormatTime, HasTheDateTimeLayout) {
    const std::string text = get_format_time();
    const std::string layout = "dddd-dd-dd dd:dd:dd";
    ASSERT_EQ(text.size(), layout.size()) << text;
    for (size_t i = 0; i < text.size(); ++i) {
        if (layout[i] == 'd')
            EXPECT_TRUE(text[i] >= '0' && text[i] <= '9') << text;
        else
            EXPECT_EQ(text[i], layout[i]) << text;
    }
}

void* CountUp(void* arg) {
    ++*static_cast<std::atomic<int>*>(arg);
    return nullptr;
}

TEST(ZqThreads, StartAndJoin) {
    std::atomic<int> runs{0};
    pthread_t threads[3];
    for (auto& t : threads) t = zq_thread_start(CountUp, &runs);
    zq_thread_wait(threads, 3);
    EXPECT_EQ(runs, 3);

    pthread_t one = thread_create_ex(CountUp, &runs);
    EXPECT_EQ(thread_join_ex(one, nullptr), 0);
    EXPECT_EQ(zq_thread_start_and_wait(CountUp, &runs), 0);
    EXPECT_EQ(runs, 5);

    // The handle of a thread that could not start is refused, not joined.
    EXPECT_NE(thread_join_ex(0, nullptr), 0);
}

}  // namespace
