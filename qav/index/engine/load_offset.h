// Loading a unit's offset records from the engine's offset files
// (CQAVEngine::LoadOffset, defined with this header). Every searching thread
// reads through handles of its own, duplicated from the engine's on its first
// load, so loads in different threads share no file position, and every read
// goes to the files the engine opened at start-up even when a rebuild has
// since replaced the index folder. The handles belong to one
// opening of the engine's offset files (a generation); a thread whose handles
// belong to another one (the engine was restarted on a rebuilt index) closes
// and reopens them before it reads.
#pragma once

#include <cstdint>

namespace qav {

// A generation number never handed out before; the engine takes one each
// time it opens its offset files.
uint64_t NextOffsetFileGeneration();

}  // namespace qav
