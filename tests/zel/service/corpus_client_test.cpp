#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corpus_stub_service.h"
#include "support/test_support.h"
#include "writable_text.h"
#include "zel/service/corpus_client.h"
#include "zel/service/remote_reply.h"
#include "zel/service/service_registry.h"
#include "zel/service/start_state.h"
#include "zellib.h"

namespace {

using qztest::Gbk;
using zeltest::StubService;
using zeltest::Writable;

std::string Extract(const std::string& line) {
    std::vector<char> in = Writable(line);
    std::vector<char> out(in.size() + 1, 'x');
    EXPECT_TRUE(ExtractSent(in.data(), out.data()));
    return out.data();
}

TEST(CorpusClient, ExtractSentCases) {
    const struct {
        const char* line;  // UTF-8
        const char* sentence;
    } cases[] = {
        // No mark after the first tab: the whole line.
        {"src\t甲乙丙", "src\t甲乙丙"},
        {"<U>甲</U>\t乙丙", "<U>甲</U>\t乙丙"},
        // The text begins with the mark: nothing.
        {"src\t<U>甲</U>乙", ""},
        {"<U>甲</U>乙", ""},
        // Tabs and GBK symbols bound the sentence on both sides.
        {"src\t前文\t甲<U>乙</U>丙\t后文", "甲乙丙"},
        {"src\t前文。甲<U>乙</U>丙！后文", "甲乙丙"},
        {"甲<U>乙</U>丙，丁", "甲乙丙"},
        {"src\t，<U>乙</U>丙", "乙丙"},
        // 华 ends in 0xAA, which as a lead byte would be a symbol: a
        // character is never split to find a boundary.
        {"src\t中华<U>人</U>民共和国", "中华人民共和国"},
        // Every mark is removed from the sentence.
        {"src\t甲<U>乙</U>丙<U>丁</U>", "甲乙丙丁"},
    };
    for (const auto& c : cases) EXPECT_EQ(qztest::Utf8(Extract(Gbk(c.line))), c.sentence) << c.line;
}

TEST(CorpusClient, HandleAndPageCount) {
    const struct {
        const char* reply;
        bool found;
        const char* handle;
    } handles[] = {
        {"{\"Handle\"=123,\"Num\"=4}", true, "123"},
        {"{\"Handle\"=,\"Num\"=4}", true, ""},
        {"{\"Num\"=4}", false, ""},
        {"{\"Handle\"=1234567890123456789012345678901234567890123456789012345678901234567890}", false, ""},
    };
    for (const auto& c : handles) {
        std::vector<char> reply = Writable(c.reply);
        char handle[ZEL_QUERY_HANDLE_BYTES] = "stale";
        EXPECT_EQ(GetHandle(reply.data(), handle), c.found) << c.reply;
        EXPECT_STREQ(handle, c.handle) << c.reply;
    }
    int n = -1;
    std::vector<char> reply = Writable("{\"Handle\"=1,\"Num\"=17}");
    EXPECT_TRUE(GetNum(reply.data(), n));
    EXPECT_EQ(n, 17);
    reply = Writable("{\"Handle\"=1}");
    EXPECT_FALSE(GetNum(reply.data(), n));
    EXPECT_EQ(n, 0);
}

TEST(CorpusClient, PageLinesAreCutAndTheUnendedTailDropped) {
    const std::string longLine = Gbk("甲") + std::string(509, 'a') + Gbk("乙丙");  // 515 bytes
    const std::vector<std::string> lines = zel::SplitResultLines("one\n\n" + longLine + "\ntail");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "one");
    EXPECT_EQ(lines[1], "");
    // 511 bytes would end inside 乙: the cut falls before it.
    EXPECT_EQ(lines[2], Gbk("甲") + std::string(509, 'a'));
}

// A corpus service holding one query: handle 42, three pages of results.
class CorpusService : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(stub.running());
        stub.Answer("/OpenQuery", "{\"Handle\"=42,\"Num\"=3}");
        stub.Answer("/GetRet/0", Gbk("a.txt\t前文。甲<U>乙</U>丙，后\nb.txt\t丁<U>乙</U>\n"));
        stub.Answer("/GetRet/1", Gbk("c.txt\t<U>乙</U>戊\nd.txt\t己<U>乙</U>\n不完整"));
        stub.Answer("/GetRet/2", Gbk("e.txt\t庚<U>乙</U>\n"));
        stub.Answer("/CloseQuery", "closed");
    }

    std::vector<std::string> Paths() {
        std::vector<std::string> paths;
        for (const zeltest::StubRequest& request : stub.requests())
            paths.push_back(request.path + (request.path == "/GetRet" ? request.args.at("No") : ""));
        return paths;
    }

    StubService stub;
    std::vector<char> base = Writable(stub.base());
};

TEST_F(CorpusService, QavCollectsTheWantedSentencesAcrossPagesAndClosesTheQuery) {
    // The query travels escaped: "&" and "=" do not make parameters of their own.
    std::vector<char> query = Writable(Gbk("乙&num=1 x"));
    std::vector<std::string> parts;
    std::vector<char> out(ZEL_QUERY_RESULT_BYTES, 'x');
    int got = -1;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(QAV(base.data(), query.data(), parts, 3, out.data(), got, 9));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Call QAV\n->Done!\n");
    EXPECT_EQ(got, 4);  // a page is taken whole
    EXPECT_EQ(qztest::Utf8(out.data()), "^#甲乙丙\n^#丁乙\n^#\n^#己乙\n");
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/OpenQuery", "/GetRet0", "/GetRet1", "/CloseQuery"}));
    const zeltest::StubRequest open = stub.requests()[0];
    EXPECT_EQ(open.args.at("input"), Gbk("乙&num=1 x"));
    EXPECT_EQ(open.args.at("num"), "6");
    EXPECT_EQ(open.args.at("id"), "9");
    EXPECT_EQ(open.args.at("window"), "50");
    EXPECT_EQ(stub.requests()[1].args.at("Handle"), "42");
    EXPECT_EQ(stub.requests()[3].args.at("Handle"), "42");
}

TEST_F(CorpusService, QavStopsWhenThePagesRunOut) {
    std::vector<char> query = Writable("q");
    std::vector<std::string> parts;
    std::vector<char> out(ZEL_QUERY_RESULT_BYTES);
    int got = 0;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(QAV(base.data(), query.data(), parts, 100, out.data(), got, 1));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(got, 5);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/OpenQuery", "/GetRet0", "/GetRet1", "/GetRet2", "/CloseQuery"}));
}

TEST_F(CorpusService, QavFailsWithoutHandleOrPageCount) {
    std::vector<char> query = Writable("q");
    std::vector<std::string> parts;
    std::vector<char> out(ZEL_QUERY_RESULT_BYTES, 'x');
    for (const char* reply : {"{\"Num\"=3}", "{\"Handle\"=42}", "{\"Handle\"=,\"Num\"=3}"}) {
        stub.Answer("/OpenQuery", reply);
        int got = -1;
        EXPECT_FALSE(QAV(base.data(), query.data(), parts, 3, out.data(), got, 1)) << reply;
        EXPECT_EQ(got, 0);
        EXPECT_STREQ(out.data(), "");
    }
    // Nothing but the open requests was sent.
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/OpenQuery", "/OpenQuery", "/OpenQuery"}));
    // No service at all.
    std::vector<char> nowhere = Writable("http://127.0.0.1:1");
    int got = -1;
    EXPECT_FALSE(QAV(nowhere.data(), query.data(), parts, 3, out.data(), got, 1));
}

TEST_F(CorpusService, OpenAndCloseAlone) {
    std::vector<char> query = Writable("q");
    std::vector<char> out(ZEL_REMOTE_REPLY_BYTES);
    ASSERT_TRUE(OpenQuery(base.data(), query.data(), out.data(), 5, 2));
    EXPECT_STREQ(out.data(), "{\"Handle\"=42,\"Num\"=3}");
    std::vector<char> handle = Writable("42");
    EXPECT_TRUE(CloseQuery(base.data(), handle.data()));
    std::vector<std::string> lines;
    EXPECT_TRUE(GetInstance(base.data(), handle.data(), 2, lines));
    EXPECT_EQ(lines, std::vector<std::string>{Gbk("e.txt\t庚<U>乙</U>")});
    EXPECT_FALSE(GetInstance(base.data(), handle.data(), 7, lines));  // no such page: 404
    EXPECT_TRUE(lines.empty());
}

TEST_F(CorpusService, RepliesOverTheLimitAreRefused) {
    std::string body;
    const std::string url = stub.base() + "/GetRet?Handle=1&No=9";
    for (bool chunked : {false, true}) {
        SCOPED_TRACE(chunked ? "chunked" : "with length");
        if (chunked)
            stub.AnswerChunked("/GetRet/9", std::string(100, 'z'));
        else
            stub.Answer("/GetRet/9", std::string(100, 'z'));
        EXPECT_TRUE(zel::FetchRemoteReply(url, body, 100));
        EXPECT_EQ(body, std::string(100, 'z'));
        EXPECT_FALSE(zel::FetchRemoteReply(url, body, 99));
        EXPECT_EQ(body, "");
    }
}

TEST_F(CorpusService, ThreadJobs) {
    std::vector<char> query = Writable("q"), text = Writable("a^b"), none = Writable("^^");
    std::vector<char> out(ZEL_QUERY_RESULT_BYTES);
    ZelQueryJob job;
    job.base = base.data();
    job.query = query.data();
    job.wanted = 1;
    job.id = 7;
    job.out = out.data();
    job.text = none.data();
    testing::internal::CaptureStdout();
    EXPECT_EQ(JParserThread(&job), 0);  // no parts: no query
    EXPECT_TRUE(stub.requests().empty());
    job.text = text.data();
    EXPECT_EQ(JParserThread(&job), 0);
    EXPECT_EQ(qztest::Utf8(out.data()), "^#甲乙丙\n^#丁乙\n");

    // A client number without a slot gets nothing and asks nothing.
    const size_t asked = stub.requests().size();
    EXPECT_EQ(JParserThread_QAV(&job), 0);
    EXPECT_EQ(job.result, nullptr);
    EXPECT_EQ(job.pages, 0);
    EXPECT_EQ(stub.requests().size(), asked);
    zel::g_mapIP2No[7] = zel::kQueryClients;  // a slot past the table
    EXPECT_EQ(JParserThread_QAV(&job), 0);
    EXPECT_EQ(job.result, nullptr);

    zel::g_mapIP2No[7] = 3;
    EXPECT_EQ(JParserThread_QAV(&job), 0);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(job.result, nullptr);
    EXPECT_EQ(job.result, zel::g_psRetJP[3]);
    EXPECT_EQ(zel::g_nRetNumJP[3], 2);
    EXPECT_EQ(job.pages, 1);
    EXPECT_EQ(qztest::Utf8(job.result), "^#甲乙丙\n^#丁乙\n");
    delete[] zel::g_psRetJP[3];
    InitBuff();
    EXPECT_TRUE(zel::g_mapIP2No.empty());
}

TEST_F(CorpusService, IndexServiceClients) {
    stub.Answer("/idxrule", "rules built");
    stub.Answer("/idxdict", "dict built");
    zel::CServer server;
    server.ip = "127.0.0.1";
    server.port = stub.port();
    zel::g_Server["indexer"] = server;
    std::vector<char> name = Writable("indexer"), input = Writable(Gbk("规则 a&b")), unknown = Writable("nobody");
    std::vector<char> out(ZEL_REMOTE_REPLY_BYTES, 'x');

    testing::internal::CaptureStdout();
    EXPECT_TRUE(IdxRule_Server(name.data(), input.data(), out.data()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "http://127.0.0.1:" + std::to_string(stub.port()) + "/idxrule?input=%B9%E6%D4%F2%20a%26b\n");
    EXPECT_STREQ(out.data(), "rules built");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(IdxDict_Server(name.data(), input.data(), out.data()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_STREQ(out.data(), "dict built");
    ASSERT_EQ(stub.requests().size(), 2u);
    EXPECT_EQ(stub.requests()[1].path, "/idxdict");
    EXPECT_EQ(stub.requests()[1].args.at("input"), Gbk("规则 a&b"));

    EXPECT_FALSE(IdxRule_Server(unknown.data(), input.data(), out.data()));
    EXPECT_FALSE(IdxDict_Server(unknown.data(), input.data(), out.data()));
    EXPECT_EQ(stub.requests().size(), 2u);
    zel::g_Server.erase("indexer");
}

}  // namespace
