// Worker threads of the HTTP service: each takes query jobs, runs them on
// the query road and hands the answers back. A crash signal inside a query
// is caught: the job is answered with an error and the worker goes on.
#pragma once

#include <string>
#include <thread>

namespace qav {

// Runs a UTF-8 query into answer and returns the answer's length.
using HttpQueryRunner = long (*)(const char* query, std::string& answer);

// The function the workers run queries with: RunQAV, or another for tests
// (null restores RunQAV). Set it only while no service runs.
void SetHttpQueryRunner(HttpQueryRunner runner);

// Counts the worker in g_live_workers and starts it.
std::thread StartQueryWorker();

// Body of a worker thread.
void _QueryWorkerThread();

// Handler of SIGSEGV, SIGBUS, SIGFPE and SIGABRT: inside a worker's query it
// returns to the worker's recovery point; anywhere else the signal takes its
// default action.
void crash_signal_handler(int sig);

// Error answer of a query ended by signal sig.
std::string CaughtSignalError(int sig);

}  // namespace qav
