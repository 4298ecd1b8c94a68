// The retrieval HTTP service: the caller's thread polls the network every
// 10 ms, answers the light routes and queues query jobs; eight workers run
// the jobs; the service ends on SIGINT or SIGTERM.
#include <microhttpd.h>

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
#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/service/http/http_connections.h"
#include "qav/service/http/http_jobs.h"
#include "qav/service/http_service.h"
#include "qav/service/http/http_worker.h"
#include "qav/service/qav_api.h"
#include "qav/service/engines.h"

namespace {

constexpr unsigned kPollMs = 10;
constexpr unsigned kWorkerCheckPasses = 100;
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

int Serve(const char* port) {
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
    for (std::thread& worker : workers) worker.join();
    StopHttpDaemon(daemon);
    ResetJobQueues();
    QavLog("Exiting on signal %d\n", static_cast<int>(s_signo));
    return 1;
}

}  // namespace

QZ_EXPORT int QAV_Http(const char* port, const char* dataDir) {
    // An engine the exported life-cycle functions started is replaced here
    // and freed at the end, so their started flag must not outlive it.
    if (g_bIsInit) GlobalExit();
    g_bIsInit = 0;
    s_signo = 0;
    ResetJobQueues();
    if (!GlobalInit("config.txt", dataDir ? dataDir : "")) {
        GlobalExit();
        return 0;
    }
    const int result = Serve(port ? port : "");
    GlobalExit();
    return result;
}

bool QAV_Http2(const char* /*port*/, const char* /*dataDir*/) { return true; }
