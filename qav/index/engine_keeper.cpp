#include "qav/index/engine_keeper.h"

#include "qav/index/qav_engine.h"

EnginePointerKeeper::EnginePointerKeeper() : saved_(g_pCQAVEngine) {}

EnginePointerKeeper::~EnginePointerKeeper() { g_pCQAVEngine = saved_; }
