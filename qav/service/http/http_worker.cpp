#include "qav/service/http/http_worker.h"

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cxxabi.h>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "qav/index/base/qav_log.h"
#include "qav/service/http/http_jobs.h"
#include "qav/service/query/json_string.h"
#include "qav/service/lua/lua_limits.h"
#include "qav/service/query/query2lua.h"
#include "qav/service/query/query_runner.h"
#include "qav/service/query/text_convert.h"

namespace qav {

namespace {

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGABRT};
constexpr size_t kMaxErrorBytes = 1023;
constexpr size_t kAltStackBytes = 256 * 1024;

// Read by the signal handler. The library may be opened at run time, so these
// use the ordinary dynamic TLS model (initial-exec would take static TLS that a
// late dlopen cannot get); the first touch of a thread's dynamic TLS block may
// allocate, so every worker touches them before it installs the handlers.
// 1 while this thread runs a query.
thread_local volatile sig_atomic_t tl_in_query = 0;
// Recovery point of the query this thread runs.
thread_local sigjmp_buf* tl_jmpbuf = nullptr;

// Makes the thread's TLS block of this library exist, outside any handler.
void TouchSignalThreadLocals() {
    tl_in_query = 0;
    tl_jmpbuf = nullptr;
}

// The worker's answer buffer, kept for the worker's life.
thread_local std::string tl_queryOut;

std::atomic<HttpQueryRunner> g_queryRunner{nullptr};

const char* SignalName(int sig) {
    switch (sig) {
        case SIGSEGV: return "SIGSEGV";
        case SIGBUS: return "SIGBUS";
        case SIGFPE: return "SIGFPE";
        case SIGABRT: return "SIGABRT";
        default: return "UNKNOWN";
    }
}

void InstallCrashHandlers() {
    struct sigaction action {};
    action.sa_handler = crash_signal_handler;
    sigemptyset(&action.sa_mask);
    // On the worker's own signal stack, so that a stack overflow is caught.
    action.sa_flags = SA_ONSTACK;
    for (const int sig : kCrashSignals) sigaction(sig, &action, nullptr);
}

// A signal stack of the thread's own while it lives; the one before is put
// back at the end.
class AltSignalStack {
public:
    AltSignalStack() : memory_(new (std::nothrow) char[kAltStackBytes]) {
        if (!memory_) return;
        stack_t stack {};
        stack.ss_sp = memory_.get();
        stack.ss_size = kAltStackBytes;
        installed_ = sigaltstack(&stack, &previous_) == 0;
    }
    ~AltSignalStack() {
        if (installed_) sigaltstack(&previous_, nullptr);
    }
    AltSignalStack(const AltSignalStack&) = delete;
    AltSignalStack& operator=(const AltSignalStack&) = delete;

private:
    std::unique_ptr<char[]> memory_;
    stack_t previous_ {};
    bool installed_ = false;
};

std::string LimitedError(const std::string& text) { return text.substr(0, kMaxErrorBytes); }

// Counts the worker out of g_live_workers however its thread ends.
struct LiveWorker {
    LiveWorker() = default;
    LiveWorker(const LiveWorker&) = delete;
    LiveWorker& operator=(const LiveWorker&) = delete;
    ~LiveWorker() { --g_live_workers; }
};

// A thread that is cancelled or calls pthread_exit unwinds with an exception
// that must go on. The sanitizer takes the catch of that exception object,
// which has no C++ object behind it, for a reference to null.
#define QAV_CATCHES_FORCED_UNWIND __attribute__((no_sanitize("null")))

// Runs the job's query into answer; exceptions become error answers.
QAV_CATCHES_FORCED_UNWIND __attribute__((noinline)) void RunQuery(const QueryJob& job, std::string& answer) {
    const HttpQueryRunner runner = g_queryRunner.load();
    try {
        tl_in_query = 1;
        if (runner) {
            runner(job.query.c_str(), answer);
        } else {
            RunQAV(job.query.c_str(), answer);
        }
        tl_in_query = 0;
    } catch (const abi::__forced_unwind&) {
        tl_in_query = 0;
        throw;
    } catch (const std::exception& e) {
        tl_in_query = 0;
        answer = "{\"error\":";
        AppendJsonString(answer, LimitedError(std::string("internal: ") + e.what()));
        answer += "}";
        QavLog("[WorkerThread] C++ exception: %s | query=%.100s\n", e.what(), job.query.c_str());
        std::fflush(stdout);
    } catch (...) {
        tl_in_query = 0;
        answer = "{\"error\":\"internal error\"}";
        QavLog("[WorkerThread] unknown exception | query=%.100s\n", job.query.c_str());
        std::fflush(stdout);
    }
}

// Runs RunQuery under a recovery point: 0 when it returned, else the crash
// signal that ended it (what the query had allocated is left behind).
__attribute__((noinline)) int RunRecoverable(const QueryJob& job, std::string& answer) {
    sigjmp_buf recovery;
    tl_jmpbuf = &recovery;
    const int sig = sigsetjmp(recovery, 1);
    if (sig == 0) RunQuery(job, answer);
    tl_jmpbuf = nullptr;
    return sig;
}

// Runs the job's query into tl_queryOut; the query stops at its next
// deadline check once the job is cancelled.
void RunJobQuery(const QueryJob& job) {
    tl_queryOut.clear();
    QavSetThreadCancelFlag(job.cancelled.get());
    const int sig = RunRecoverable(job, tl_queryOut);
    QavSetThreadCancelFlag(nullptr);
    if (sig == 0) return;
    // The parser's Lua state may have been left half-changed.
    QavAbandonParserState();
    tl_queryOut = CaughtSignalError(sig);
    QavLog("[WorkerThread] CAUGHT SIGNAL %s (%d) | query=%.100s\n", SignalName(sig), sig, job.query.c_str());
    std::fflush(stdout);
    InstallCrashHandlers();
}

// Takes and runs jobs until the service stops.
void ServeJobs() {
    while (std::unique_ptr<QueryJob> job = TakeJob()) {
        RunJobQuery(*job);
        job->result.assign(tl_queryOut, 0, QavUtf8PrefixLength(tl_queryOut, kMaxAnswerBytes));
        FinishJob(std::move(job));
        if (g_shutdown) return;
    }
}

}  // namespace

void SetHttpQueryRunner(HttpQueryRunner runner) { g_queryRunner = runner; }

std::string CaughtSignalError(int sig) {
    return LimitedError(std::string("{\"error\":\"internal: caught signal ") + SignalName(sig) + "\"}");
}

void crash_signal_handler(int sig) {
    if (tl_in_query == 1 && tl_jmpbuf) {
        tl_in_query = 0;
        siglongjmp(*tl_jmpbuf, sig);
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

std::thread StartQueryWorker() {
    // Counted before it runs, so that the check for dead workers never takes
    // a starting one for dead.
    ++g_live_workers;
    try {
        return std::thread(_QueryWorkerThread);
    } catch (...) {
        --g_live_workers;
        throw;
    }
}

QAV_CATCHES_FORCED_UNWIND void _QueryWorkerThread() {
    const LiveWorker counted;
    try {
        tl_queryOut.reserve(kMaxAnswerBytes + 1);
    } catch (const std::bad_alloc&) {
        QavLog("[WorkerThread] FATAL: cannot allocate 10MB output buffer\n");
        std::fflush(stdout);
        return;
    }
    TouchSignalThreadLocals();
    AltSignalStack signalStack;
    InstallCrashHandlers();
    try {
        if (!g_shutdown) ServeJobs();
    } catch (const abi::__forced_unwind&) {
        throw;
    } catch (const std::exception& e) {
        QavLog("[WorkerThread] FATAL thread exception: %s \xe2\x80\x94 thread exiting\n", e.what());
        std::fflush(stdout);
    } catch (...) {
        QavLog("[WorkerThread] FATAL unknown thread exception \xe2\x80\x94 thread exiting\n");
        std::fflush(stdout);
    }
}

}  // namespace qav
