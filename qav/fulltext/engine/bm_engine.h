// The full-text engine object as the structured side sees it: the process
// holds at most one, reached through g_pBMEngine, and shut-down frees it.
#pragma once

#include "qav/index/base/config.h"

class CBMEngine {
public:
    // Configuration of the full-text index; the first part of the object.
    CConfig m_Config;

    // Shuts the loaded full-text index down; no result, no failure.
    void BMEngineExit();
};

// The full-text engine; null unless one was created.
extern CBMEngine* g_pBMEngine;
