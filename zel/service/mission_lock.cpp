#include "zel/service/mission_lock.h"

#include "zellib.h"

namespace zel {

qz::CZQMutex g_Mission;

}  // namespace zel

void _Lock() { zel::g_Mission.Lock(); }

void _Unlock() { zel::g_Mission.Unlock(); }
