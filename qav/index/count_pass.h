// Counting pass of the index builder: every word and index unit of a file
// group's sentences, counted into the group's own tables.
#pragma once

#include "qav/index/thread_info.h"

// Counts one group into info's unit and word tables. False (and info.ok
// false) when a file of the group cannot be opened or counting raised an
// exception; the group's counts then stop there.
bool ThreadInfo(CThreadInfo& info);
