// One rule run through the exported functions: a rule-base list compiled by
// the rule compiler, loaded by a start from a configuration file, and run
// over a JSON sentence with its actions as Lua or encoded for the host.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "include/zellib.h"
#include "support/test_support.h"
#include "zel/service/server_start.h"
#include "zel/service/start_state.h"

namespace zel {
namespace {

const char* const kRules =
    "FSA NP\n"
    "POS=a Entry: [POS=n]\n"
    "{\n"
    "  local w = GetWord(GetUnit(0)) .. \"+\" .. GetWord(GetUnit(1))\n"
    "  AddGridKV(\"NP\", w)\n"
    "}\n";

const char* const kSentence = R"({"Units":["红","苹果"],"POS":["a","n"]})";

int32_t Int32At(const char* p) {
    uint32_t value = 0;
    std::memcpy(&value, p, 4);
    return static_cast<int32_t>(value);
}

class RunFsa : public ::testing::Test {
protected:
    void SetUp() override {
        g_psFSAPath.clear();
        const std::string source = dir.file("np.txt");
        qztest::WriteFile(source, qztest::Gbk(kRules));
        {
            // The compiler writes its intermediate files into the working
            // folder, which other test programs share.
            const qztest::WorkingFolder compiling(dir.path());
            ASSERT_TRUE(RuleIdx2(source.c_str(), dir.path().c_str()));
        }
        const std::string config = dir.file("zel.cfg");
        qztest::WriteFile(config, "FSA:{\"Path\":\"" + dir.path() + "\"}\n");
        ZEL_DataInit(config.c_str(), nullptr);
        handle = ZEL_LatticeInit();
        ASSERT_EQ(1, ZEL_SetText(handle, kSentence));
    }
    void TearDown() override {
        ZEL_Term(handle);
        g_psFSAPath.clear();
        g_psTablePath.clear();
    }
    std::string Grid(const char* key) {
        char out[1024] = "";
        ZEL_GetGridKVs(handle, key, out, static_cast<int>(sizeof out));
        return out;
    }

    qztest::TempDir dir;
    void* handle = nullptr;
};

TEST_F(RunFsa, LuaModeRunsTheActionOnce) {
    EXPECT_EQ(1, ZEL_RunFSA(handle, "np", "Lang=Lua", nullptr, 0));
    EXPECT_EQ(Grid("NP"), "[\"苹果+红\"]");
    // The entry it attached is noted under "FSA".
    EXPECT_NE(Grid("FSA").find("NP"), std::string::npos);
}

TEST_F(RunFsa, EncodeModeHandsTheActionBack) {
    char out[4096] = "";
    const int written = ZEL_RunFSA(handle, "NP", nullptr, out, static_cast<int>(sizeof out));
    ASSERT_GT(written, 4);
    EXPECT_EQ(1, Int32At(out));
    EXPECT_NE(std::string(out + 4, static_cast<size_t>(written - 4)).find("AddGridKV"), std::string::npos);
    // Nothing ran: the action came back instead.
    EXPECT_EQ(Grid("NP"), "[]");
}

TEST_F(RunFsa, ASmallBufferGetsNoRecord) {
    char out[8];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(0, ZEL_RunFSA(handle, "np", nullptr, out, static_cast<int>(sizeof out)));
    EXPECT_EQ(std::string(out, sizeof out), std::string(sizeof out, 'x'));
}

TEST_F(RunFsa, UnknownNamesAndNoStart) {
    EXPECT_EQ(-1, ZEL_RunFSA(handle, "vp", "Lang=Lua", nullptr, 0));
    EXPECT_EQ(0, ZEL_RunFSA(nullptr, "np", "Lang=Lua", nullptr, 0));
    ExitServer();
    EXPECT_EQ(0, ZEL_RunFSA(handle, "np", "Lang=Lua", nullptr, 0));
}

}  // namespace
}  // namespace zel
