#include "zel/service/sentence_route.h"

#include <cjson/cJSON.h>

#include <cstdio>
#include <ctime>
#include <exception>
#include <memory>
#include <thread>

#include "zel/lattice/error_msg.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/rules/process/process_rule.h"

namespace zel {

namespace {

using JsonPtr = std::unique_ptr<cJSON, decltype(&cJSON_Delete)>;

// The member's text (name matched without regard to case); null when it is
// absent or not a text.
const char* MemberText(const cJSON* root, const char* name) {
    const cJSON* item = cJSON_GetObjectItem(root, name);
    return cJSON_IsString(item) ? item->valuestring : nullptr;
}

// The same form as the retrieval service's error answers.
std::string ErrorAnswer(const std::string& message) { return "{\"error\":\"" + message + "\"}\n"; }

}  // namespace

void JParseCoreThread(SentenceJob& job) {
    g_bIsOutMsg = true;
    CLattice lattice;
    if (!lattice.LatticeInit(true) || !lattice.L) return;
    ClearErrorMsg();
    lua_setweb(lattice.L, &job.request);
    std::printf("Debug[%s] %s\n", job.ruleSet.c_str(), job.text.c_str());
    lattice.LatticeBuild(job.text.c_str());
    int asLua = -1;
    ProcessRule(&lattice, job.ruleSet.c_str(), "", nullptr, 0, asLua);
    lua_setweb(lattice.L, nullptr);
    lattice.LatticeExit(true);
}

int AnswerSentence(const std::string& body, std::string& answer) {
    answer.clear();
    JsonPtr root(cJSON_ParseWithLength(body.data(), body.size()), &cJSON_Delete);
    if (!root) {
        answer = ErrorAnswer("the body is not JSON");
        return 400;
    }
    SentenceJob job;
    const char* text = MemberText(root.get(), "Text");
    const char* ruleSet = MemberText(root.get(), "FSA");
    if (text && ruleSet) {
        job.text = text;
        job.ruleSet = ruleSet;
    }
    if (job.text.size() >= kSentenceTextBytes) {
        answer = ErrorAnswer("Text is longer than " + std::to_string(kSentenceTextBytes - 1) + " bytes");
        return 413;
    }
    if (job.ruleSet.size() >= kRuleSetNameBytes) {
        answer = ErrorAnswer("FSA is longer than " + std::to_string(kRuleSetNameBytes - 1) + " bytes");
        return 413;
    }
    job.request.limit = kSentenceAnswerBytes - 1;
    // The analysis runs on a thread of its own and the server waits for it:
    // one analysis at a time, each on a fresh stack.
    std::thread worker([&job] {
        try {
            JParseCoreThread(job);
        } catch (const std::exception& error) {
            std::printf("analysis failed: %s\n", error.what());
        }
    });
    worker.join();
    const std::time_t now = std::time(nullptr);
    std::printf("Debug Done! %s\n", std::asctime(std::localtime(&now)));
    answer = std::move(job.request.out);
    return 200;
}

}  // namespace zel
