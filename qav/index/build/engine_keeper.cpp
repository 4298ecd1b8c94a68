#include "qav/index/build/engine_keeper.h"

#include "qav/index/engine/qav_engine.h"

EnginePointerKeeper::EnginePointerKeeper() : saved_(g_pCQAVEngine) {}

EnginePointerKeeper::~EnginePointerKeeper() { g_pCQAVEngine = saved_; }
