// Threads of the retrieval library's portability layer. Every started thread
// must be joined exactly once by whoever started it; nothing detaches threads.
#pragma once

#include <pthread.h>

#include "common/platform/qz_export.h"

extern "C" {

typedef void* (*zq_thread_fn)(void* arg);

// Starts fn(arg) with default attributes and returns its handle; a thread that
// cannot be started yields the handle 0, which the join functions refuse.
QZ_EXPORT pthread_t thread_create_ex(zq_thread_fn fn, void* arg);
// Waits for the thread; returns the join status (ESRCH for the handle 0).
QZ_EXPORT int thread_join_ex(pthread_t thread, void* unused);
// As thread_create_ex.
QZ_EXPORT pthread_t zq_thread_start(zq_thread_fn fn, void* arg);
// Waits for each thread in array order.
QZ_EXPORT void zq_thread_wait(pthread_t* threads, int count);
// Starts fn(arg) and waits for it; returns the join status.
QZ_EXPORT int zq_thread_start_and_wait(zq_thread_fn fn, void* arg);
// Kept for callers of the layer; both do nothing.
QZ_EXPORT void zq_thread_exit(void);
QZ_EXPORT void zq_terminate_process(void);

}
