#include "qav/fulltext/engine/bm_engine.h"

CBMEngine* g_pBMEngine = nullptr;

void CBMEngine::BMEngineExit() {
    // This object holds no loaded index yet: its configuration is released
    // with the object itself.
}
