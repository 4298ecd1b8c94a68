// Offset pass of the index builder for one file group: the group's data file
// and identifier file, and a record for every unit occurrence, written to the
// group's slice of its unit's region in the offset files.
#pragma once

#include "qav/index/build/count_units.h"

namespace qav {

// Thread body: runs the pass for the CThreadInfo given as arg and sets its
// ok to false when a file cannot be created, opened or written, or a record
// buffer cannot be allocated.
void* CreateOffsetThread(void* arg);

}  // namespace qav
