// Threads of the grammar library: the server's request threads and the
// batch threads start through a heap start record that the new thread
// frees before it runs the function.
#pragma once

#include <pthread.h>

namespace zel {

using ThreadFunction = int (*)(void* argument);

// Stores the new thread's handle in *handle; false when it cannot start.
bool zq_thread_start(pthread_t* handle, ThreadFunction function, void* argument);
pthread_t zq_thread_start_ex(ThreadFunction function, void* argument);
// Starts the thread and joins it; the join's result.
int zq_thread_start_and_wait(ThreadFunction function, void* argument);
// Joins the n handles in order (nothing for n of 0 or less).
void zq_thread_wait(pthread_t* handles, int n);

// Starts routine(argument) directly as the thread's routine.
pthread_t thread_create_ex(void* (*routine)(void*), void* argument);
// Joins the thread; the join's result.
int thread_join_ex(pthread_t handle);

}  // namespace zel
