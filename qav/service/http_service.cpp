// The retrieval HTTP service: the caller's thread polls the network every
// 10 ms, answers the light routes and queues query jobs; eight workers run
// the jobs; the service ends on SIGINT or SIGTERM.
#include <microhttpd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>
#include <vector>

#include "include/qavlib.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/service/http/http_connections.h"
#include "qav/service/http/http_jobs.h"
#include "qav/service/http/http_worker.h"
#include "qav/service/http_service.h"
#include "qav/service/qav_api.h"
#include "qav/service/engines.h"

namespace qav {

namespace {

constexpr unsigned kPollMs = 10;
constexpr unsigned kWorkerCheckPasses = 100;
constexpr unsigned kGoneClientCheckPasses = 10;
// How long shutting down waits for the workers. A query stuck where no
// deadline check reaches it does not hold the process: its worker is left
// behind.
constexpr auto kWorkerStopWait = std::chrono::seconds(3);
constexpr int kServiceSignals[] = {SIGINT, SIGTERM, SIGPIPE, SIGSEGV, SIGBUS, SIGFPE, SIGABRT};

volatile sig_atomic_t s_signo = 0;

void signal_handler(int sig) { s_signo = sig; }

// The dispositions the service changes, put back when it ends so that the
// host (or a later run of the service) finds them as they were.
class SavedSignalActions {
public:
    SavedSignalActions() {
        for (size_t i = 0; i < std::size(kServiceSignals); ++i) sigaction(kServiceSignals[i], nullptr, &saved_[i]);
    }
    ~SavedSignalActions() {
        for (size_t i = 0; i < std::size(kServiceSignals); ++i) sigaction(kServiceSignals[i], &saved_[i], nullptr);
    }
    SavedSignalActions(const SavedSignalActions&) = delete;
    SavedSignalActions& operator=(const SavedSignalActions&) = delete;

private:
    struct sigaction saved_[std::size(kServiceSignals)] {};
};

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = signal_handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &action, nullptr);
}

void RestartDeadWorkers(std::vector<std::thread>& workers) {
    const int live = g_live_workers;
    if (live >= kHttpWorkers || g_shutdown) return;
    const int missing = kHttpWorkers - live;
    QavLog("[MainLoop] WARNING: %d worker(s) died, restarting %d\n", missing, missing);
    std::fflush(stdout);
    for (int i = 0; i < missing; ++i) workers.push_back(StartQueryWorker());
}

void RunMainLoop(MHD_Daemon* daemon, std::vector<std::thread>& workers) {
    for (unsigned pass = 1; !s_signo; ++pass) {
        try {
            PollHttpDaemon(daemon, kPollMs);
            SendFinishedAnswers(daemon);
            if (pass % kGoneClientCheckPasses == 0) DropRequestsOfGoneClients(daemon);
            if (pass % kWorkerCheckPasses == 0) RestartDeadWorkers(workers);
        } catch (const std::exception& e) {
            QavLog("[MainLoop] exception in poll/flush: %s\n", e.what());
            std::fflush(stdout);
        } catch (...) {
            QavLog("[MainLoop] unknown exception in poll/flush\n");
            std::fflush(stdout);
        }
    }
}

// Joins the workers once they have all ended, or leaves them all behind
// when some are still running after kWorkerStopWait. True when all ended.
bool EndWorkers(std::vector<std::thread>& workers) {
    const auto deadline = std::chrono::steady_clock::now() + kWorkerStopWait;
    while (g_live_workers > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const int running = g_live_workers;
    for (std::thread& worker : workers) {
        if (running > 0) {
            worker.detach();
        } else {
            worker.join();
        }
    }
    if (running == 0) return true;
    QavLog("[MainLoop] %d worker(s) still running a query at shutdown; left behind\n", running);
    std::fflush(stdout);
    return false;
}

// Runs the service; workersEnded is false when stuck workers were left
// behind (they may still read the engine).
int Serve(const char* port, bool& workersEnded) {
    SavedSignalActions savedActions;
    InstallStopHandlers();
    QavLog("Starting web server on port %s\n", port);
    const std::string address = std::string(":") + port;
    MHD_Daemon* daemon = StartHttpDaemon(port);
    if (!daemon) {
        QavLog("Cannot listen on %s. Use http://ADDR:PORT or :PORT\n", address.c_str());
        std::exit(1);
    }
    QavLog("libmicrohttpd version : v%s\n", MHD_get_version());
    QavLog("Listening on     : %s\n", address.c_str());

    std::vector<std::thread> workers;
    for (int i = 0; i < kHttpWorkers; ++i) workers.push_back(StartQueryWorker());
    RunMainLoop(daemon, workers);

    StopJobQueues();
    workersEnded = EndWorkers(workers);
    StopHttpDaemon(daemon);
    DropJobs();
    QavLog("Exiting on signal %d\n", static_cast<int>(s_signo));
    return 1;
}

}  // namespace

}  // namespace qav

QZ_EXPORT int QAV_Http(const char* port, const char* dataDir) {
    // An engine the exported life-cycle functions started is replaced here
    // and freed at the end, so their started flag must not outlive it.
    if (qav::g_bIsInit) qav::GlobalExit();
    qav::g_bIsInit = 0;
    qav::s_signo = 0;
    qav::ResetJobQueues();
    if (!qav::GlobalInit("config.txt", dataDir ? dataDir : "")) {
        qav::GlobalExit();
        return 0;
    }
    bool workersEnded = true;
    const int result = qav::Serve(port ? port : "", workersEnded);
    // A worker left behind may still be inside the engine: the engine stays,
    // and the process is expected to end.
    if (workersEnded) qav::GlobalExit();
    return result;
}

namespace qav {

bool QAV_Http2(const char* /*port*/, const char* /*dataDir*/) { return true; }

}  // namespace qav
